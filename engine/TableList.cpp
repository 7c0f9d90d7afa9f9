// Database::tableFiles: the table files of the working folder, or a server's tables.
#include "Core.h"
#include "pg/PgStorage.h"

#include <algorithm>
#include <filesystem>

namespace engine {

std::vector<std::string> Database::tableFiles() {
    if (m_impl->server) return m_impl->server->tableFiles();
    namespace fs = std::filesystem;
    const std::string& folder = m_impl->core->workingFolder;
    std::error_code ec;
    std::vector<std::string> files;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.size() > 3 && name[0] != '.' && sql::equalsNoCase(name.substr(name.size() - 3), ".DB") &&
            it->is_regular_file(typeError))
            files.push_back(name);
    }
    if (ec) throw Error("Cannot list the table files of " + folder + ": " + ec.message());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace engine
