#include "cli/fit_save.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "batch/output_file.h"
#include "batch/stream.h"
#include "cli/report.h"
#include "systems/catalogue_file.h"

namespace cli {

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
int CheckTaken(const FitOptions& options, std::string_view what, const std::string& definedIn,
               std::string& error) {
    const auto [file, line] = Place(definedIn);
    const std::string where = file.empty() ? "built in" : "defined at " + Printable(definedIn);
    if (!options.replace) {
        error = std::string(what) + " " + *options.saveId + " is " + where +
                "; choose another id, or --replace it";
        return ExitUsage;
    }
    if (file.empty() || Canonical(file) != Canonical(options.saveFile)) {
        error = std::string(what) + " " + *options.saveId + " is " + where +
                "; --replace replaces only a table of " + Printable(options.saveFile) +
                ", the file --save writes";
        return ExitUsage;
    }
    return ExitOk;
}

// The lines of a text without the tables whose headers stand on `headers` (from 1): each runs
// to the next header, less the comments and blank lines just above that one (they are its).
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
        for (std::size_t i = static_cast<std::size_t>(header) - 1; i < end; ++i)
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

int CheckSaveId(const FitOptions& options, std::string& error) {
    const std::string& id = *options.saveId;
    if (const systems::System* system = options.catalogue.Find(id)) {
        if (const int status = CheckTaken(options, "system", system->definedIn, error))
            return status;
    }
    if (const systems::System* named = options.catalogue.Find(options.saveName);
        named != nullptr && named->id != id) {
        error = "\"" + Printable(options.saveName) + "\" is already the name of system " +
                named->id + "; give --name another";
        return ExitUsage;
    }
    if (options.model == fit::Model::Helmert7) {
        if (const systems::Datum* datum = options.catalogue.FindDatum(id)) {
            if (const int status = CheckTaken(options, "datum", datum->definedIn, error))
                return status;
        }
    }
    return ExitOk;
}

int SaveTables(const FitOptions& options, const std::string& tables, std::string& error) {
    const std::string& path = options.saveFile;
    const std::string target = Canonical(path);
    std::string old;
    std::error_code missing;
    if (fs::exists(path, missing) && !ReadWhole(path, old)) {
        error = Printable(path) + ": cannot be read: " + std::strerror(errno);
        return ExitNoInput;
    }
    if (options.replace) {
        std::vector<int> headers;
        const systems::System* system = options.catalogue.Find(*options.saveId);
        const systems::Datum* datum = options.model == fit::Model::Helmert7
                                          ? options.catalogue.FindDatum(*options.saveId)
                                          : nullptr;
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
    files.insert(files.end(), options.catalogueFiles.begin(), options.catalogueFiles.end());
    for (const std::string& file : files) {
        const std::string canonical = Canonical(file);
        if (std::find(read.begin(), read.end(), canonical) != read.end()) continue;
        read.push_back(canonical);
        std::string own;
        if (canonical != target && !ReadWhole(file, own)) {
            error = Printable(file) + ": cannot be read: " + std::strerror(errno);
            return ExitNoInput;
        }
        if (const auto fault =
                systems::ReadCatalogueText(canonical == target ? text : own, file, catalogue)) {
            error = "not saved, the catalogue would not read: " + fault->Text();
            return ExitBadInput;
        }
    }

    std::error_code made;
    const fs::path parent = fs::absolute(path).parent_path();
    fs::create_directories(parent, made);
    if (made) {
        error = Printable(parent.string()) + ": cannot make the directory: " + made.message();
        return ExitCantCreate;
    }
    batch::OutputFile file(path);
    if (file.fd() < 0) {
        error = Printable(path) + ": cannot write: " + std::strerror(file.error());
        return ExitCantCreate;
    }
    if (!batch::WriteAll(file.fd(), text) || !file.Commit()) {
        error = Printable(path) + ": cannot write: " + std::strerror(errno) + "; left as it was";
        return ExitIoError;
    }
    return ExitOk;
}

}  // namespace cli
