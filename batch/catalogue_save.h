// Tables appended to a catalogue file (coordconv-fit --save, the window's saved fits): the file
// is checked as the catalogue will read it and replaced whole, never left half written or
// losing what it held.
#pragma once

#include <string>
#include <vector>

#include "systems/catalogue.h"

namespace batch {

// Saves from two programs at once (the window and coordconv-fit, or scripts) take turns: each
// reads the catalogue file and replaces it whole under this lock on its directory, so neither
// loses the other's table. Held from construction to destruction (flock, advisory).
class DirectoryLock {
  public:
    explicit DirectoryLock(const std::string& directory);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

  private:
    int fd_;
};

struct CatalogueSave {
    std::string id;        // of the system (and, with datum, of the datum) saved
    std::string name;      // the system's name
    bool datum = false;    // a [datum.ID] table is saved too
    bool replace = false;  // the file's own tables of ID are replaced
    std::string file;      // the file written
    // The catalogue files read after the user's own, in order (coordconv-fit's --systems).
    std::vector<std::string> catalogueFiles;
    const systems::Catalogue* catalogue = nullptr;  // as read now
};

// Why a save did not happen.
enum class SaveFault { None, TakenId, Unreadable, CatalogueFault, CantCreate, CantWrite };

// Whether the ids may be saved into save.file: taken ids are refused unless replace, and
// replace replaces only that file's. error says why not.
SaveFault CheckSaveId(const CatalogueSave& save, std::string& error);

// Appends the tables to save.file (with replace, first taking out that file's tables of the
// id), once the catalogue with the new file reads without a fault.
SaveFault SaveTables(const CatalogueSave& save, const std::string& tables, std::string& error);

}  // namespace batch
