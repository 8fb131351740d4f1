#include "ScriptedOptions.h"

namespace quillmorph::test {

ConversionOptions ScriptedOptions::current() const {
    const int call = ++calls;
    return perCall ? perCall(call) : base;
}

} // namespace quillmorph::test
