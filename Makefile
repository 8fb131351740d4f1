# The two commands a user needs: `make run` and `make test`. Each installs the Debian packages
# it needs when they are missing (as root, or through sudo), then configures and builds.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
BUILD_PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools libgl-dev libvips-dev \
 liblcms2-dev libjpeg-dev libjxl-dev googletest libgtest-dev libexif-dev help2man dpkg-dev file locales
RUN_PACKAGES := fonts-noto-cjk qt6-translations-l10n qt6-wayland
TEST_PACKAGES := chromium libvips-tools xvfb xauth desktop-file-utils appstream man-db colord-data
PACKAGE_CHECK_PACKAGES := lintian
LINT_PACKAGES := clang-format clang-tidy git
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all build run test test-sanitized lint deps test-deps install-packages install package check-package clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(BUILD_PACKAGES) $(RUN_PACKAGES)"

test-deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(TEST_PACKAGES)"

install-packages:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -x $(BUILD_DIR)/src/app/quillmorph ]; then $(BUILD_DIR)/src/app/quillmorph; \
	else $(BUILD_DIR)/src/cli/quillmorph-cli --help; fi

test: build test-deps
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitized: deps test-deps
	cmake -S . -B build-asan -DQUILLMORPH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j $(JOBS)
	cd build-asan && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS)

# The sources against .clang-format and .clang-tidy; clang-tidy reads the build's
# compile_commands.json and the headers Qt generates, so the build comes first.
lint: build
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(LINT_PACKAGES)"
	git ls-files 'src/*.cpp' 'src/*.h' | xargs clang-format --dry-run --Werror
	run-clang-tidy -quiet -p $(BUILD_DIR) -j $(JOBS) '^$(CURDIR)/src/.*\.cpp$$' > $(BUILD_DIR)/clang-tidy.log 2>&1 \
	  || { grep -E 'error:|warning:' $(BUILD_DIR)/clang-tidy.log | sort -u; exit 1; }

# The batch and its helper threads under ThreadSanitizer: the batch, failure and fault tests,
# then a command-line batch of 300 files. Not part of `make test`: a few minutes on 2 cores.
TSAN_OPTIONS_ALL := suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 die_after_fork=0
.PHONY: test-tsan
test-tsan: deps test-deps
	cmake -S . -B build-tsan -DQUILLMORPH_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-tsan -j $(JOBS) --target convert_tests quillmorph-cli
	TSAN_OPTIONS="$(TSAN_OPTIONS_ALL)" build-tsan/tests/convert_tests \
	  --gtest_filter='ConvertFilesTest.*:*BatchFailureTest.*:FaultTest.*'
	TSAN_OPTIONS="$(TSAN_OPTIONS_ALL)" QUILLMORPH_CLI=build-tsan/src/cli/quillmorph-cli \
	  REF_FILES=0 bench/soak.sh 1 300

install: build
	$(SUDO) cmake --install $(BUILD_DIR)

# $(BUILD_DIR)/quillmorph_<version>_<arch>.deb, installing to /usr.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Checks the package's fields and files, then installs it with dpkg, runs it and removes it.
check-package: package test-deps
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(PACKAGE_CHECK_PACKAGES)"
	bash tests/package/check_package.sh --install $(BUILD_DIR)

# The portable Windows build, cross-built with MinGW-w64: build-windows/quillmorph-<version>-windows-x64.zip,
# and where makensis is, the installer of the same files, quillmorph-<version>-setup.exe.
# windows/toolchain.sh builds what it links against once into a cache outside the clone (about an
# hour on 2 cores the first time; then every step is skipped).
WINDOWS_DIR ?= build-windows
WINDOWS_PREFIX = $(shell windows/toolchain.sh prefix)
.PHONY: windows windows-toolchain test-windows windows-installer
windows-toolchain:
	windows/toolchain.sh

$(WINDOWS_DIR)/CMakeCache.txt: | windows-toolchain
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=windows/mingw-w64-x86_64.cmake \
	  -DQUILLMORPH_WINDOWS_PREFIX=$(WINDOWS_PREFIX) -DCMAKE_BUILD_TYPE=Release

windows: windows-toolchain $(WINDOWS_DIR)/CMakeCache.txt
	cmake --build $(WINDOWS_DIR) -j $(JOBS)
	cmake --build $(WINDOWS_DIR) --target windows_zip
	@if command -v makensis >/dev/null; then cmake --build $(WINDOWS_DIR) --target windows_installer; \
	else echo "makensis not found: no installer (make windows-installer installs nsis)"; fi

# The per-user installer of the same files: build-windows/quillmorph-<version>-setup.exe (NSIS).
windows-installer: windows
	@$(MAKE) --no-print-directory install-packages PACKAGES=nsis
	cmake $(WINDOWS_DIR)
	cmake --build $(WINDOWS_DIR) --target windows_installer

# The suite cross-built and run under Wine (the window's tests on Qt's offscreen platform).
# One Wine server kept for the whole run: one started by a test's program would hold the test's
# output open (CTest waits for it) until the server ends. Now and then Wine fails to start a
# test's program at all (no output, a few hundredths of a second): a failed test runs once
# more, so that only one failing twice fails the run.
WINE_PREFIX_DIR = $(abspath $(WINDOWS_DIR))/wine
test-windows: windows
	mkdir -p $(WINE_PREFIX_DIR)
	WINEPREFIX=$(WINE_PREFIX_DIR) wineserver -p
	$(WINDOWS_DIR)/wine-run wineboot -u </dev/null >/dev/null 2>&1
	cd $(WINDOWS_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --repeat until-pass:2; \
	  status=$$?; WINEPREFIX=$(WINE_PREFIX_DIR) wineserver -k; exit $$status

clean:
	rm -rf $(BUILD_DIR) build-asan $(WINDOWS_DIR)
