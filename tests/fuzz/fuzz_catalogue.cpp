// Catalogue files: any bytes are read or refused whole, never a crash or a hang; a refusal
// leaves the catalogue as it was and names a line of the file; every system read is a user's
// system within the file's bounds, and a transverse Mercator one written back by SystemToml
// reads back to the same numbers.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "properties.h"
#include "systems/catalogue_file.h"

using testing_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const systems::Catalogue& builtIn = systems::BuiltIn();
    systems::Catalogue catalogue = builtIn;
    const auto fault = systems::ReadCatalogueText(text, "f.toml", catalogue);
    if (fault) {
        Check(catalogue.systems().size() == builtIn.systems().size());
        Check(catalogue.datums().size() == builtIn.datums().size());
        Check(!fault->unreadable && fault->file == "f.toml" && !fault->message.empty());
        Check(fault->line >= 1 && fault->Text().rfind("f.toml:", 0) == 0);
        return 0;
    }
    for (std::size_t i = builtIn.systems().size(); i < catalogue.systems().size(); ++i) {
        systems::System system = catalogue.systems()[i];
        Check(system.group == systems::Group::User && system.definedIn.rfind("f.toml:", 0) == 0);
        Check(!system.datum.toPz9011.empty() && system.datum.toPz9011.back().to == "pz9011");
        const auto& tm = system.projection;
        Check(tm.scale >= 0.5 && tm.scale <= 2 && std::fabs(tm.originLatitude) <= 90);
        Check(std::isfinite(tm.falseEasting) && std::isfinite(tm.falseNorthing));
        if (system.form != controller::CoordinateForm::Plane) continue;

        // Written back under an id and a name of its own, beside the original.
        system.id = "fuzz-copy";
        system.displayName += " (copy)";
        system.names.russian = system.displayName;
        systems::Catalogue copy = catalogue;
        Check(!systems::ReadCatalogueText(systems::SystemToml(system), "copy.toml", copy));
        const systems::System& read = *copy.Find("fuzz-copy");
        Check(read.projection.centralMeridian == tm.centralMeridian &&
              read.projection.originLatitude == tm.originLatitude &&
              read.projection.scale == tm.scale &&
              read.projection.falseEasting == tm.falseEasting &&
              read.projection.falseNorthing == tm.falseNorthing);
        Check(read.keys.has_value() == system.keys.has_value());
        if (read.keys) Check(read.keys->a == system.keys->a && read.keys->x0 == system.keys->x0);
    }
    return 0;
}
