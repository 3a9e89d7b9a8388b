#include "platform/linux/PluginModule.h"

// Linked into each program of the build tree that lives in a folder of its own (the tests, the
// benchmarks), never into the program that is installed: it tells the module loader where the
// build puts the modules, before main() runs.
namespace {

[[maybe_unused]] const bool registered = [] {
    setBuildTreeModuleFolder(QStringLiteral(BRIMLARK_BUILD_TREE_MODULE_FOLDER));
    return true;
}();

} // namespace
