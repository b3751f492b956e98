#pragma once

#include "fileutil/TextFile.h"
#include "model/ProjectState.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Whether the project file names the folder the project is generated into. A record kept
// inside a generated project leaves it out, so that it moves with its folder.
enum class WithLocation { Yes, No };

// How the actions are laid out: a member to a line, as by hand; or, for the program's own
// record, each action on a line of its own with the comma between two leading the second (lines
// two branches add at the end then join into a file that reads) and its flags as one number.
enum class ActionLayout { Indented, OnePerLine };

// The project file for what ProjectFile reads back: the host, nameText, locationBase, dllFlags
// and the actions, keyed as model/ProjectSchema.h lists them and in its order. Names stand for
// numbers wherever a table has one, and an action's fields that its name's defaults give are
// left out, so a file reads like one written by hand; the same project gives the same bytes.
std::string projectFileText(const ProjectState& project, WithLocation withLocation,
                            ActionLayout layout = ActionLayout::Indented);

// The same text handed to a sink in pieces as it is made, so that the file of a large project is
// never held whole; false when the sink stopped it.
bool writeProjectFile(const ProjectState& project, WithLocation withLocation, ActionLayout layout,
                      const TextSink& sink);

// Appends a JSON string: quotes, backslashes and control characters escaped, and a byte that
// starts no UTF-8 sequence written as U+FFFD, since readers take UTF-8 only.
void appendJsonString(std::string& out, std::string_view text);

// A project file's text (one ProjectFile read) with each action's id written in: an "id" member
// leads an action object that has none, and an id it has is replaced; every other byte stays as
// it was. None when the text's actions do not match the project's in number.
std::optional<std::string> withActionIds(std::string_view text, const ActionDefinitions& actions);

// Saves projectFileText in one step: the file at the path is either the old one, whole, or the
// new one (see replaceFileAtomically). The reason, for the user, when it could not be saved.
std::optional<std::string> saveProjectFile(const std::string& path, const ProjectState& project,
                                           WithLocation withLocation = WithLocation::Yes);

} // namespace vantrel
