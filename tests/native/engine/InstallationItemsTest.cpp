// The environment, INI and shortcut items and the post-install actions, read from a description
// and handed to the recording system side; the records they leave in the action log.
#include "engine/InstallationItems.h"

#include "config/Description.h"
#include "config/VariableStore.h"
#include "engine/ActionLog.h"
#include "engine/ProgramActions.h"
#include "tests/support/RecordingSystem.h"
#include "tests/support/RecordingUI.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

namespace {
class InstallationItemsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        variables.set("APP", (folder / "app").c_str());
        variables.set("MENU", (folder / "menu").c_str());
        variables.set("ON", "1");
    }
    // Applies the items of `installation`; returns the three steps' results.
    std::string apply(const std::string& installation) {
        std::string text = "<VarnexGroupInstallation><ProductDesc><Fullname>Demo</Fullname>"
                           "</ProductDesc><Installation>"
                           "<Uninstall><InstallLogFile>[APP]\\u.log</InstallLogFile><UninstallCmd>"
                           "[APP]\\u.exe</UninstallCmd></Uninstall>" +
                           installation + "</Installation></VarnexGroupInstallation>";
        description = std::make_unique<Description>(variables);
        description->parse(text.c_str(), text.size());
        Log file;
        ActionLog log(file);
        log.open((folder / "a.log").c_str());
        InstallationItems items(*description, variables, system, log, ui);
        // "0" for a kind whose items were all applied, "1" for one that failed.
        std::string results = std::to_string(!items.applyEnvironmentItems()) +
                              std::to_string(!items.applyIniItems()) +
                              std::to_string(!items.applyShortcutItems());
        log.close();
        return results;
    }

    TempFolder folder;
    VariableStore variables;
    std::unique_ptr<Description> description;
    RecordingSystem system;
    RecordingUI ui;
};
} // namespace

// Item names ignore case, Type does not; a failed item leaves the rest of its container, the next
// container still runs, and running programs hear of the environment only after a whole batch.
TEST_F(InstallationItemsTest, EnvironmentItemsStopTheirContainerAtAFailureAndBroadcastOnce) {
    system.failing = {"BROKEN"};
    EXPECT_EQ(apply("<Environment><append VarName=\"PATH\" IsPath=\"1\">[APP]\\\\bin</append>"
                    "<Remove VarName=\"X\">y</Remove><Replace>no name</Replace>"
                    "<Insert VarName=\"BROKEN\">v</Insert><Replace VarName=\"AFTER\">v</Replace>"
                    "</Environment><Environment><Replace VarName=\"CUT\">[NONE]</Replace>"
                    "</Environment><Environment><Insert VarName=\"LAST\">l</Insert></Environment>"),
              "100");
    EXPECT_EQ(system.calls,
              (Lines{"changeEnvironment:PATH=" + folder / "app\\bin Append path",
                     "changeEnvironment:BROKEN=v Insert", "changeEnvironment:LAST=l Insert"}));
    EXPECT_EQ(ui.lines, Lines{"FAILED to expand [NONE]"});
    EXPECT_EQ(readAll(folder / "a.log"), "ENV\tRECORD\tPATH\r\nENV\tRECORD\tLAST\r\n");
    system.calls.clear();
    EXPECT_EQ(apply("<Environment><Replace VarName=\"A\">a</Replace></Environment>"), "000");
    EXPECT_EQ(system.calls,
              (Lines{"changeEnvironment:A=a Replace", "broadcastEnvironmentChange:"}));
}

TEST_F(InstallationItemsTest, IniItemsNeedTheirAttributesAndHoldingConditions) {
    EXPECT_EQ(apply("<IniFiles><Add FileName=\"[APP]\\\\h.ini\" Section=\"S\" Key=\"K\" "
                    "BeforeKey=\"Last\">[APP]</Add><Add FileName=\"x.ini\" Section=\"S\">v</Add>"
                    "<Add FileName=\"y.ini\" Section=\"S\" Key=\"K\" Condition=\"[ON]==0\">v</Add>"
                    "<Set FileName=\"z.ini\" Section=\"S\" Key=\"K\">v</Set></IniFiles>"),
              "000");
    EXPECT_EQ(system.calls, Lines{"changeIniFile:" + folder / "app\\h.ini [S]K=" + folder / "app" +
                                  " before Last"});
    EXPECT_EQ(readAll(folder / "a.log"), "INI\tRECORD\t" + folder / "app\\h.ini\r\n");
}

// A shortcut's folder is made first and recorded before it, so that the uninstall removes the
// folder after the shortcut; the uninstall shortcut starts the registered uninstall command.
TEST_F(InstallationItemsTest, ShortcutsRecordTheirNewFolderFirstAndKeepTheirTextsAsWritten) {
    EXPECT_EQ(
        apply("<Shortcuts><Add Type=\"File\" Dest=\"[MENU]\\\\Demo\" Target=\"[APP]\\\\d.exe\" "
              "Arguments=\"-x [APP]\" StartPath=\"[APP]\">[APP].lnk</Add>"
              "<Add Type=\"file\" Dest=\"[MENU]\" Target=\"t\">skipped.lnk</Add>"
              "<Add Type=\"URL\" Dest=\"[MENU]\\\\Demo\" Target=\"https://a.test//x\" "
              "Description=\"Site\">web.url</Add>"
              "<Add Type=\"Uninstall\" Dest=\"[MENU]\\\\Demo\">Remove.lnk</Add></Shortcuts>"),
        "000");
    std::string menu = folder / "menu\\Demo\\", app = folder / "app";
    EXPECT_EQ(system.calls,
              (Lines{"createShortcut:File " + menu + "[APP].lnk -> " + app +
                         "\\d.exe -x [APP] in " + app + " 'Varnex Group installer shortcut'",
                     "createShortcut:URL " + menu +
                         "web.url -> https://a.test//x <none> in <none> 'Site'",
                     "createShortcut:Uninstall " + menu + "Remove.lnk -> " + app +
                         "\\u.exe -uninstall=\"" + app +
                         "\\u.log\" -uninstallApp=\"Demo\" in <none> 'Varnex Group installer "
                         "shortcut'"}));
    EXPECT_EQ(readAll(folder / "a.log"), "DIR\t2\t" + menu + "\r\nSHORTCUT\tRECORD\t" + menu +
                                             "[APP].lnk\r\nSHORTCUT\tRECORD\t" + menu +
                                             "web.url\r\nSHORTCUT\tRECORD\t" + menu +
                                             "Remove.lnk\r\n");
}

// Each element's actions from the last child to the first; an action whose path does not
// expand whole is not started.
TEST_F(InstallationItemsTest, PostInstallActionsRunLastChildFirstAndOnlyWhole) {
    apply(
        "<PostInstall><RunProgram Arguments=\"-a [ON]\">[APP]\\\\a.exe</RunProgram>"
        "<OpenDocument Condition=\"[ON]==1\">[APP]\\\\b.txt</OpenDocument></PostInstall>"
        "<PostInstall><RunProgram>[NONE]\\\\c.exe</RunProgram><OpenDocument Condition=\"[ON]==0\">"
        "d.txt</OpenDocument><Other>e</Other><RunProgram>[APP]\\\\f.exe</RunProgram>"
        "</PostInstall>");
    system.calls.clear();
    EXPECT_EQ(ProgramActions(description->document(), variables, system).run("PostInstall"), 0);
    EXPECT_EQ(system.calls,
              (Lines{"open:" + folder / "app\\b.txt", "run:" + folder / "app\\a.exe -a 1",
                     "run:" + folder / "app\\f.exe"}));
}
