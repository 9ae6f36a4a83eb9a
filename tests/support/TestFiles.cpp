#include "support/TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "util/CodePage.h"

namespace pernard::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device device;
    path_ = fs::temp_directory_path() / ("pernard-test-" + std::to_string(device()));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / name;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file.string();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

#ifdef _WIN32
namespace {
// The C runtime's calls for the environment; an empty value removes a variable.
int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
int unsetenv(const char* name) { return _putenv_s(name, ""); }
}  // namespace
#endif

ScopedVariable::ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* was = std::getenv(name);
    wasSet_ = was != nullptr;
    if (wasSet_) was_ = was;
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

ScopedVariable::~ScopedVariable() {
    if (wasSet_) {
        setenv(name_.c_str(), was_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

std::string DumpTable(const BmLogic& model) {
    std::string dump;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const char kind = model.gloya[k] < 0 ? 'R' : model.glUrl[k] == kFolderMarker ? 'F' : 'U';
        dump += std::to_string(i) + " " + std::to_string(model.gloya[k]) + " " + kind + " ";
        dump += model.glName[k];
        if (kind == 'U') dump += " " + std::string(model.glUrl[k]);
        dump += "\n";
    }
    return dump;
}

fs::path CorpusDir() {
    const fs::path dir(PERNARD_CORPUS_DIR);
    std::error_code error;
    return fs::is_directory(dir, error) ? dir : fs::path();
}

std::string ToCp932(const std::string& utf8) {
    TextEncoder encoder(kCp932, nullptr);
    std::string out;
    encoder.Encode(utf8, out);
    return out;
}

}  // namespace pernard::testing
