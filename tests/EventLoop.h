#pragma once

#include <functional>

namespace quillmorph::test {

// Lets events run until done() holds; false when timeoutMs passed first.
bool runEventsUntil(const std::function<bool()>& done, int timeoutMs = 60000);

} // namespace quillmorph::test
