// Files of the benchmarks that run whole passes: the example files read
// from examples/ and the inputs written into a scratch directory.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace benchfiles {

inline std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writefile(const std::string& name, const std::string& text)
{
    std::ofstream out(name, std::ios::binary);
    out << text;
}

// A fresh scratch directory named by the stem and the process, made the
// working directory.
inline void intoscratch(const std::string& stem)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / (stem + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
}

}  // namespace benchfiles
