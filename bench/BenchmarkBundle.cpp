#include "bench/BenchmarkBundle.hpp"

#include "platform/foundation/Bundle.hpp"

#include <filesystem>

namespace bench {

void useApplicationBundle(const char* executablePath) {
    std::error_code error;
    auto beside = std::filesystem::absolute(executablePath, error).parent_path() / "Kestrelvault.app";
    foundation::Bundle::setMainBundlePathForTesting(std::filesystem::is_directory(beside, error) ? beside
                                                                                                 : KV_BENCH_BUNDLE);
}

}  // namespace bench
