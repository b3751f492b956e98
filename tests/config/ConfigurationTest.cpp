#include "config/Configuration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class RecordingSink : public MessageSink {
public:
    void showMessage(ErrorKind kind, const std::string& message) override {
        messages.emplace_back(kind, message);
    }
    std::vector<std::pair<ErrorKind, std::string>> messages;
};

// Writes the file into a folder of its own and reads it into a fresh project.
class ConfigurationFile : public testing::Test {
protected:
    void SetUp() override {
        // Named after the test, so tests run side by side never share a file.
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        m_folder = fs::temp_directory_path() / ("vantrel-config-" + name);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    ProjectState read(const std::string& content) {
        const fs::path path = m_folder / "vantrel.cfg";
        std::ofstream(path, std::ios::binary) << content;
        ProjectState project;
        EXPECT_TRUE(readConfiguration(project, m_sink, path.string()));
        EXPECT_TRUE(m_sink.messages.empty());
        return project;
    }

    fs::path m_folder;
    RecordingSink m_sink;
};

struct SettingCase {
    const char* name;
    std::string content;
    const char* key;
    std::string expected;
};

void PrintTo(const SettingCase& c, std::ostream* os) {
    *os << c.name;
}

class ConfigurationSetting : public ConfigurationFile,
                             public testing::WithParamInterface<SettingCase> {};

// Read from the file, and from its bytes held in memory.
TEST_P(ConfigurationSetting, ValueAsExpected) {
    const ProjectState project = read(GetParam().content);
    ProjectState fromBytes;
    readConfigurationBytes(fromBytes, GetParam().content);
    for (const auto& setting : ProjectState::settingFields())
        if (std::string(setting.key) == GetParam().key) {
            EXPECT_EQ(project.*setting.field, GetParam().expected);
            EXPECT_EQ(fromBytes.*setting.field, GetParam().expected);
        }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigurationSetting,
    testing::Values(
        SettingCase{"NoBlanksAroundEquals", "kellib_d=\"mylib.lib\"\n", "kellib_d", "mylib.lib"},
        SettingCase{"KeyIgnoresCase", "KELLIB_D = \"x\"\n", "kellib_d", "x"},
        SettingCase{"UnquotedValueIgnored", "kellib_d = x\n", "kellib_d", "kel_d.lib"},
        SettingCase{"NoEqualsIgnored", "kellib_d \"x\"\n", "kellib_d", "kel_d.lib"},
        SettingCase{"NothingAfterEquals", "matrixinc =\n", "matrixinc", "matrix.h"},
        SettingCase{"BlanksAndBackslashesKept",
                    "templatedirectory = \"C:\\Program Files\\tpl\\\"\n", "templatedirectory",
                    "C:\\Program Files\\tpl\\"},
        SettingCase{"EmptyQuotesGiveEmptyValue", "piinc = \"\"\n", "piinc", ""},
        SettingCase{"OperatorsInsideQuotes", "kellib_d = \"a=b,c;d\"\n", "kellib_d", "a=b,c;d"},
        SettingCase{"UnclosedQuoteTakesTheLineBreak", "kellib_d = \"abc\nx=\"y\"\n", "kellib_d",
                    "abc\n"},
        SettingCase{"RestOfLineIgnored", "viewinc = \"v.h\" \"w.h\" junk\n", "viewinc", "v.h"},
        SettingCase{"LastWellFormedLineWins",
                    "dovtemplate = \"a\"\ndovtemplate = \"b\"\ndovtemplate = c\n", "dovtemplate",
                    "b"},
        SettingCase{"CommentLine", "; kellib_d = \"x\"\n", "kellib_d", "kel_d.lib"},
        SettingCase{"CrLfLineEnds", "vectorinc = \"v\r\nthreadinc = \"t\"\r\n", "vectorinc", "v\n"},
        SettingCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBFworkdirectory = \"w\"\n", "workdirectory",
                    "w"},
        SettingCase{"LastLineWithoutBreak", "kelpiinc = \"k.h\"", "kelpiinc", "k.h"},
        SettingCase{"QuoteRightAfterKeyIsNoAssignment", "kellib_d\"x\"\n", "kellib_d", "kel_d.lib"},
        SettingCase{"OperatorRightAfterKey", "kellib_d;=\"x\"\n", "kellib_d", "kel_d.lib"},
        SettingCase{"ValueEndsAtItsClosingQuote", "kellib_d=\"a\"b\"\n", "kellib_d", "a"},
        SettingCase{"KeyEndsAtANul", std::string("kellib_d\0junk = \"x\"\n", 20), "kellib_d", "x"},
        SettingCase{"LongLineReadWhole", "kelexportinc = \"" + std::string(1500, 'x') + "\"\n",
                    "kelexportinc", std::string(1500, 'x')}),
    [](const testing::TestParamInfo<SettingCase>& info) { return std::string(info.param.name); });

// The rule of a setting's line: KEY = "VALUE" gives VALUE, whatever the key's case, the
// blanks between the tokens and what follows the closing quote.
TEST(ConfigurationLineRule, AnyBlanksAndTailGiveTheQuotedValue) {
    std::mt19937 random(35);
    const auto pick = [&random](std::string_view from, std::size_t most) {
        std::string text(random() % (most + 1), ' ');
        for (char& c : text)
            c = from[random() % from.size()];
        return text;
    };
    const auto& fields = ProjectState::settingFields();
    for (int round = 0; round < 500; ++round) {
        const auto& setting = fields[random() % fields.size()];
        std::string key = setting.key;
        for (char& c : key)
            if (random() % 2)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string value = pick("ab =,;\\\t%", 6);
        const std::string line = pick(" \t", 3) + key + pick(" \t", 3) + "=" + pick(" \t", 3) +
                                 "\"" + value + "\"" + pick(" \t=,;\"x", 5) +
                                 (random() % 2 ? "\r\n" : "");
        ProjectState project;
        readConfigurationBytes(project, line);
        EXPECT_EQ(project.*setting.field, value) << line;
        const std::vector<ConfigurationLine> lines = readConfigurationText(project, line);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].key, key);
        EXPECT_EQ(lines[0].keyColumn, line.find(key) + 1);
        EXPECT_TRUE(lines[0].valueRead);
    }
}

TEST_F(ConfigurationFile, EveryKeyIsReadIntoItsOwnField) {
    std::string content;
    for (const auto& setting : ProjectState::settingFields())
        content += std::string(setting.key) + " = \"<" + setting.key + ">\"\n";
    const ProjectState project = read(content);
    for (const auto& setting : ProjectState::settingFields())
        EXPECT_EQ(project.*setting.field, std::string("<") + setting.key + ">");
    EXPECT_TRUE(project.extraSettings.empty());
}

TEST_F(ConfigurationFile, LongLineTailIsNoLineOfItsOwn) {
    // A tail read as a line would define this extra setting.
    const ProjectState project =
        read("; " + std::string(1020, ' ') + "TAIL = \"a\", \"b\"\nkellib_r = \"r\"\n");
    EXPECT_TRUE(project.extraSettings.empty());
    EXPECT_EQ(project.kellib_r, "r");
}

TEST_F(ConfigurationFile, WorkDirectoryAndDefaultNameFillTheEditTexts) {
    ProjectState project = read("workdirectory = \"C:\\work\"\ndefaultprojectname = \"Demo\"\n");
    EXPECT_EQ(project.locationBase, "C:\\work");
    EXPECT_EQ(project.locationText, "C:\\work");
    EXPECT_EQ(project.nameText, "Demo");

    // A malformed line still copies the unchanged value.
    project = read("workdirectory = \"w\"\nworkdirectory = x\n");
    EXPECT_EQ(project.locationBase, "w");
    project = read("WorkDirectory = x\nDEFAULTPROJECTNAME\n");
    EXPECT_EQ(project.locationBase, "");
    EXPECT_EQ(project.nameText, "");
}

TEST_F(ConfigurationFile, ExtraSettingsFirstDefinitionWinsAndKeysKeepCase) {
    const ProjectState project = read("MYVAL = \"one\", \"two\"\n"
                                      "MYVAL = \"three\", \"four\"\n"
                                      "myval = \"five\", \"six\"\n"
                                      "ONLYONE = \"one\"\n"
                                      "EMPTYFIRST = \"\", \"two\"\n"
                                      "EMPTYSECOND = \"one\", \"\"\n"
                                      "NOCOMMA = \"one\" \"two\"\n"
                                      "PATHS=\"C:\\a b\\\",\"x,y\" trailing\n");
    ASSERT_EQ(project.extraSettings.size(), 3u);
    EXPECT_EQ(project.extraSettings[0].key, "MYVAL");
    EXPECT_EQ(project.extraSettings[0].value, "one");
    EXPECT_EQ(project.extraSettings[0].secondValue, "two");
    EXPECT_EQ(project.extraSettings[1].key, "myval");
    EXPECT_EQ(project.extraSettings[1].value, "five");
    EXPECT_EQ(project.extraSettings[2].key, "PATHS");
    EXPECT_EQ(project.extraSettings[2].value, "C:\\a b\\");
    EXPECT_EQ(project.extraSettings[2].secondValue, "x,y");
}

TEST_F(ConfigurationFile, MissingFileKeepsDefaultsAndShowsNothing) {
    ProjectState project;
    project.nameText = "typed";
    const std::string path = (m_folder / "absent.cfg").string();
    EXPECT_FALSE(readConfiguration(project, m_sink, path));
    EXPECT_TRUE(m_sink.messages.empty()) << "a missing configuration is normal";
    EXPECT_EQ(project.nameText, "typed");
    EXPECT_EQ(project.keltemplate, "kelpi.tpl");

    EXPECT_FALSE(readConfiguration(project, m_sink, m_folder.string()));
    EXPECT_TRUE(m_sink.messages.empty()) << "a folder cannot be read as a file";
    EXPECT_EQ(project.keltemplate, "kelpi.tpl");
}

} // namespace
} // namespace vantrel
