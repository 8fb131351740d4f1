#include "engine/LoaderFamily.h"

namespace quillmorph {

std::string_view loaderFamily(std::string_view loaderClass) {
    std::string_view family = loaderClass;
    if (family.starts_with("VipsForeignLoad"))
        family.remove_prefix(std::string_view("VipsForeignLoad").size());
    for (const std::string_view way : {"File", "Buffer", "Source"}) {
        if (family.size() > way.size() && family.ends_with(way)) {
            family.remove_suffix(way.size());
            break;
        }
    }
    return family;
}

} // namespace quillmorph
