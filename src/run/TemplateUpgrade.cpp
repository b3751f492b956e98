#include "run/TemplateUpgrade.h"

#include "fileutil/FileSystem.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <optional>

namespace vantrel {
namespace {

std::string named(const TemplateSetVersion& set) {
    return set.known() ? set.text() : std::string("no named template set");
}

} // namespace

std::string TemplateUpgrade::line() const {
    if (from.name == to.name && !from.version.empty() && !to.version.empty())
        return TemplateSetVersion{from.name, from.version}.text() + " -> " + to.version;
    return named(from) + " -> " + named(to);
}

bool TemplateUpgrade::older() const {
    return from.name == to.name && !from.version.empty() && !to.version.empty() &&
           compareVersions(from.version, to.version) > 0;
}

std::vector<DeclaredMove> TemplateUpgrade::moves() const {
    std::vector<DeclaredMove> all;
    for (const VersionNotes& version : notes)
        all.insert(all.end(), version.moves.begin(), version.moves.end());
    return all;
}

TemplateUpgrade templateUpgrade(const TemplateSetVersion* recorded, const ProjectState& project) {
    TemplateUpgrade upgrade;
    upgrade.to = {project.templateset, project.templateversion};
    if (!recorded) {
        upgrade.from = upgrade.to;
        return upgrade;
    }
    upgrade.from = *recorded;
    // Notes and moves belong to one set's history, from a version the record names.
    if (!upgrade.changed() || upgrade.from.name != upgrade.to.name ||
        upgrade.from.version.empty() || upgrade.to.version.empty())
        return upgrade;
    if (compareVersions(upgrade.from.version, upgrade.to.version) >= 0 ||
        project.templatenotes.empty())
        return upgrade;
    upgrade.notesPath = nativePath(project.templatenotes);
    const std::optional<std::string> text = readFileBytes(upgrade.notesPath);
    if (!text) {
        upgrade.notesWhy = "it cannot be read";
        return upgrade;
    }
    TemplateNotes notes = readTemplateNotes(*text);
    upgrade.problems = std::move(notes.problems);
    for (VersionNotes& version : notes.versions)
        if (compareVersions(version.version, upgrade.from.version) > 0 &&
            compareVersions(version.version, upgrade.to.version) <= 0)
            upgrade.notes.push_back(std::move(version));
    std::stable_sort(upgrade.notes.begin(), upgrade.notes.end(),
                     [](const VersionNotes& a, const VersionNotes& b) {
                         return compareVersions(a.version, b.version) < 0;
                     });
    return upgrade;
}

} // namespace vantrel
