#include "engine/VipsAbilities.h"

#include <array>
#include <vips/vips.h>

namespace quillmorph {

bool hasVipsOperation(const char* nickname) {
    const GType type = vips_type_find("VipsOperation", nickname);
    if (type == 0)
        return false;
    const auto* operation = static_cast<const VipsOperationClass*>(g_type_class_ref(type));
    const bool blocked = (operation->flags & VIPS_OPERATION_BLOCKED) != 0;
    g_type_class_unref(const_cast<VipsOperationClass*>(operation));
    return !blocked;
}

bool vipsAtLeast(int major, int minor, int micro) {
    const std::array<int, 3> running{vips_version(0), vips_version(1), vips_version(2)};
    return running >= std::array<int, 3>{major, minor, micro};
}

} // namespace quillmorph
