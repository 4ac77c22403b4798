#include "batch/catalogue_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "batch/encoding.h"
#include "batch/output_file.h"
#include "batch/stream.h"
#include "systems/catalogue_file.h"

namespace batch {

DirectoryLock::DirectoryLock(const std::string& directory)
    : fd_(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
}

DirectoryLock::~DirectoryLock() {
    if (fd_ >= 0) close(fd_);
}

namespace {

namespace fs = std::filesystem;

// One spelling of a path, whether it exists or not.
std::string Canonical(const std::string& path) {
    std::error_code ignored;
    return fs::weakly_canonical(fs::absolute(path), ignored).string();
}

// "FILE:LINE" (a table's definedIn) split; line 0 for a built-in one.
std::pair<std::string, int> Place(const std::string& definedIn) {
    const std::size_t colon = definedIn.rfind(':');
    if (colon == std::string::npos) return {"", 0};
    return {definedIn.substr(0, colon), std::atoi(definedIn.c_str() + colon + 1)};
}

// Whether an id taken in the catalogue may be given again: only a table of the saved file
// replaced by --replace.
SaveFault CheckTaken(const CatalogueSave& save, std::string_view what, const std::string& definedIn,
                     std::string& error) {
    const auto [file, line] = Place(definedIn);
    const std::string where = file.empty() ? "built in" : "defined at " + PrintableName(definedIn);
    if (!save.replace) {
        error = std::string(what) + " " + save.id + " is " + where +
                "; choose another id, or --replace it";
        return SaveFault::TakenId;
    }
    if (file.empty() || Canonical(file) != Canonical(save.file)) {
        error = std::string(what) + " " + save.id + " is " + where +
                "; --replace replaces only a table of " + PrintableName(save.file) +
                ", the file --save writes";
        return SaveFault::TakenId;
    }
    return SaveFault::None;
}

// The lines of a text without the tables whose headers stand on `headers` (from 1): each runs
// to the next header, less the comments and blank lines just above that one (they are its),
// and takes the comments just above its own header with it.
std::string WithoutTables(std::string_view text, const std::vector<int>& headers) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1);
        lines.push_back(text.substr(0, end + 1));
        text.remove_prefix(end + 1);
    }
    const auto trimmed = [&](std::size_t i) {
        std::string_view line = lines[i];
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        return line;
    };
    std::vector<bool> dropped(lines.size(), false);
    for (const int header : headers) {
        if (header < 1 || static_cast<std::size_t>(header) > lines.size()) continue;
        std::size_t end = static_cast<std::size_t>(header);
        while (end < lines.size() && !trimmed(end).starts_with('['))
            ++end;
        while (end > static_cast<std::size_t>(header) && end < lines.size() &&
               (trimmed(end - 1).starts_with('#') ||
                trimmed(end - 1).find_first_not_of("\r\n") == std::string_view::npos))
            --end;
        std::size_t start = static_cast<std::size_t>(header) - 1;
        while (start > 0 && trimmed(start - 1).starts_with('#'))
            --start;
        for (std::size_t i = start; i < end; ++i)
            dropped[i] = true;
    }
    std::string kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!dropped[i]) kept += lines[i];
    return kept;
}

bool ReadWhole(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

}  // namespace

SaveFault CheckSaveId(const CatalogueSave& save, std::string& error) {
    const std::string& id = save.id;
    if (const systems::System* system = save.catalogue->Find(id)) {
        if (const SaveFault fault = CheckTaken(save, "system", system->definedIn, error);
            fault != SaveFault::None)
            return fault;
    }
    if (const systems::System* named = save.catalogue->Find(save.name);
        named != nullptr && named->id != id) {
        error = "\"" + PrintableName(save.name) + "\" is already the name of system " + named->id +
                "; give --name another";
        return SaveFault::TakenId;
    }
    if (save.datum) {
        if (const systems::Datum* datum = save.catalogue->FindDatum(id)) {
            if (const SaveFault fault = CheckTaken(save, "datum", datum->definedIn, error);
                fault != SaveFault::None)
                return fault;
        }
    }
    return SaveFault::None;
}

SaveFault SaveTables(const CatalogueSave& save, const std::string& tables, std::string& error) {
    const std::string& path = save.file;
    std::error_code made;
    const fs::path parent = fs::absolute(path).parent_path();
    fs::create_directories(parent, made);
    if (made) {
        error = PrintableName(parent.string()) + ": cannot make the directory: " + made.message();
        return SaveFault::CantCreate;
    }
    const DirectoryLock lock(parent.string());
    const std::string target = Canonical(path);
    std::string old;
    std::error_code missing;
    if (fs::exists(path, missing) && !ReadWhole(path, old)) {
        error = PrintableName(path) + ": cannot be read: " + std::strerror(errno);
        return SaveFault::Unreadable;
    }
    if (save.replace) {
        std::vector<int> headers;
        const systems::System* system = save.catalogue->Find(save.id);
        const systems::Datum* datum = save.datum ? save.catalogue->FindDatum(save.id) : nullptr;
        for (const std::string* definedIn :
             {system ? &system->definedIn : nullptr, datum ? &datum->definedIn : nullptr}) {
            if (definedIn != nullptr) headers.push_back(Place(*definedIn).second);
        }
        old = WithoutTables(old, headers);
    }
    if (!old.empty() && old.back() != '\n') old += '\n';
    const std::string text = old + (old.empty() ? "" : "\n") + tables;

    // The catalogue as the programs will read it with the new file: the user's own file, then
    // each --systems FILE once, the saved one with its new text.
    systems::Catalogue catalogue = systems::BuiltIn();
    std::vector<std::string> files, read;
    const std::string user = systems::UserCatalogueFile();
    if (!user.empty() && (fs::exists(user, missing) || Canonical(user) == target))
        files.push_back(user);
    files.insert(files.end(), save.catalogueFiles.begin(), save.catalogueFiles.end());
    for (const std::string& file : files) {
        const std::string canonical = Canonical(file);
        if (std::find(read.begin(), read.end(), canonical) != read.end()) continue;
        read.push_back(canonical);
        std::string own;
        if (canonical != target && !ReadWhole(file, own)) {
            error = PrintableName(file) + ": cannot be read: " + std::strerror(errno);
            return SaveFault::Unreadable;
        }
        if (const auto fault =
                systems::ReadCatalogueText(canonical == target ? text : own, file, catalogue)) {
            error = "not saved, the catalogue would not read: " + fault->Text();
            return SaveFault::CatalogueFault;
        }
    }

    OutputFile file(path);
    if (file.fd() < 0) {
        error = PrintableName(path) + ": cannot write: " + std::strerror(file.error());
        return SaveFault::CantCreate;
    }
    if (!WriteAll(file.fd(), text) || !file.Commit()) {
        error =
            PrintableName(path) + ": cannot write: " + std::strerror(errno) + "; left as it was";
        return SaveFault::CantWrite;
    }
    return SaveFault::None;
}

}  // namespace batch
