#include "report/ErrorReporter.h"
#include "support/RecordingSink.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct ReportCase {
    const char* name;
    ErrorKind kind;
    const char* first;
    const char* second;
    const char* message; // empty: nothing is shown
};

void PrintTo(const ReportCase& c, std::ostream* os) {
    *os << c.name;
}

class ReportError : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportError, FormatsTheWholeMessage) {
    const ReportCase& c = GetParam();
    RecordingSink sink;
    reportError(sink, c.kind, c.first, c.second);
    if (*c.message == '\0') {
        EXPECT_TRUE(sink.messages.empty());
    } else {
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].kind, c.kind);
        EXPECT_EQ(sink.messages[0].text, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReportError,
    testing::Values(
        ReportCase{"ConfigOpenIsSilent", ErrorKind::ERR_CONFIG_OPEN, "vantrel.cfg", "", ""},
        ReportCase{"NoActions", ErrorKind::ERR_NO_ACTIONS, "", "",
                   "No actions defined:\nAdd at least one action before creating the project."},
        ReportCase{"ActionUnnamed", ErrorKind::ERR_ACTION_UNNAMED, "", "",
                   "Action name missing:\nEvery action needs a name."},
        ReportCase{"NameTwice", ErrorKind::ERR_ACTION_NAME_TWICE, "Line", "",
                   "Action name used twice:\nLine"},
        ReportCase{"ScriptOpen", ErrorKind::ERR_SCRIPT_OPEN, "tpl/kelpi.tpl", "",
                   "Open file error:\ntpl/kelpi.tpl"},
        ReportCase{"Template", ErrorKind::ERR_TEMPLATE, "MAIN_LOOP", "",
                   "Error in Template File:\nMAIN_LOOP\n"},
        ReportCase{"SectionNotFound", ErrorKind::ERR_SECTION_NOT_FOUND, "kelpi.tpl", "main",
                   "Section not found:\nkelpi.tpl\nmain"},
        ReportCase{"OpenFileUsesFirstOnly", ErrorKind::ERR_OPEN_FILE, "out/Demo/Demo.cpp", "x",
                   "Open file error:\nout/Demo/Demo.cpp"},
        ReportCase{"Assert", ErrorKind::ERR_ASSERT, "Line::ACDF_MENU", "",
                   "ASSERT:\nObject must be defined:\nLine::ACDF_MENU"},
        ReportCase{"UnknownKindIsSilent", static_cast<ErrorKind>(12), "a", "b", ""}),
    [](const testing::TestParamInfo<ReportCase>& info) { return info.param.name; });

} // namespace
} // namespace vantrel
