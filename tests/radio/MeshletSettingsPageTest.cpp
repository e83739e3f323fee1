#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <fstream>

#include "pages/MeshletConfigDialog.h"
#include "pages/MeshletSettingsPage.h"
#include "tests/link/TempDir.h"
#include "tests/ui/RecordingRunner.h"

namespace {

std::string Devices(int count) {
    std::string reply = "<rci_reply><do_command><discover>";
    for (int i = 0; i < count; ++i) {
        reply += "<device><node_id>node " + std::to_string(i) + "</node_id><ext_addr>00:13:a2:0" +
                 std::to_string(i) + "</ext_addr><net_addr>0x" + std::to_string(i) +
                 "</net_addr><type>1</type><device_type>0x3000a</device_type></device>";
    }
    return reply + "</discover></do_command></rci_reply>";
}

struct MeshletSettingsPageTest : testing::Test {
    RecordingRunner runner;
    TempDir dir;
    MeshletSettingsPage page{runner, dir.Path().string()};
    QTreeWidget* list = page.NodeList();
    int dialogs = 0;
    std::map<std::string, QString> shown;

    MeshletSettingsPageTest() {
        page.SetDialogRunner([this](MeshletConfigDialog& dialog) {
            ++dialogs;
            EXPECT_EQ(dialog.windowTitle(), "Meshlet Configuration");
            for (auto* edit : dialog.findChildren<QLineEdit*>())
                shown[edit->objectName().toStdString()] = edit->text();
            shown["powerLevel"] = dialog.findChild<QComboBox*>("powerLevel")->currentText();
        });
    }

    void Refresh(int devices) {
        runner.answer = [devices](JobList& jobs) {
            jobs[0].SetResponse(Devices(devices));
            jobs[0].SetStatus(CommandJob::kSucceeded);
        };
        page.Refresh();
    }

    int Selected() {
        const auto items = list->selectedItems();
        return items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.front());
    }
};

}  // namespace

TEST_F(MeshletSettingsPageTest, RefreshFillsFiveColumnsAndFitsThem) {
    EXPECT_EQ(page.Title(), "Meshlet Network");
    EXPECT_EQ(list->topLevelItemCount(), 0) << "empty until the first refresh";
    EXPECT_EQ(list->headerItem()->text(4), "Product Type");
    Refresh(2);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    QTreeWidgetItem* row = list->topLevelItem(1);
    EXPECT_EQ(row->text(0), "node 1");
    EXPECT_EQ(row->text(1), "0x1");
    EXPECT_EQ(row->text(2), "00:13:a2:01");
    EXPECT_EQ(row->text(3), "Router");
    EXPECT_EQ(row->text(4), "Temperature sensor");
    EXPECT_EQ(row->data(0, Qt::UserRole).toString(), "00:13:a2:01");
    for (int column = 0; column < 5; ++column) {
        EXPECT_GE(list->columnWidth(column), list->header()->sectionSizeHint(column));
        EXPECT_LT(list->columnWidth(column), 180) << "fitted, not the initial width";
    }
}

TEST_F(MeshletSettingsPageTest, SelectionIsKeptByPosition) {
    Refresh(3);
    list->topLevelItem(2)->setSelected(true);
    Refresh(5);
    EXPECT_EQ(Selected(), 2);
    Refresh(1);
    EXPECT_EQ(Selected(), -1);
    Refresh(4);
    EXPECT_EQ(Selected(), -1);
}

TEST_F(MeshletSettingsPageTest, NodeDialogShowsTheNodeSettingsFile) {
    Refresh(2);
    page.OpenNodeDialog();
    EXPECT_EQ(dialogs, 0) << "nothing without a selection";

    list->topLevelItem(1)->setSelected(true);
    page.OpenNodeDialog();
    ASSERT_EQ(dialogs, 1);
    EXPECT_EQ(shown["extendedAddress"], "00:13:a2:01");
    EXPECT_EQ(shown["nodeId"], "");
    EXPECT_EQ(shown["powerLevel"], "") << "no file: no power level";

    std::ofstream(dir.Path() / "zigbeed.xml")
        << "<rci_reply><do_command><query_setting><radio><node_id>pump</node_id>"
           "<power_level>4</power_level><device_type>0x30201</device_type>"
           "<join_time>64</join_time></radio></query_setting></do_command></rci_reply>";
    page.OpenNodeDialog();
    ASSERT_EQ(dialogs, 2);
    EXPECT_EQ(shown["extendedAddress"], "00:13:a2:01");
    EXPECT_EQ(shown["nodeId"], "pump");
    EXPECT_EQ(shown["joinTime"], "64");
    EXPECT_EQ(shown["productType"], "Energy meter");
    EXPECT_EQ(shown["powerLevel"], "Maximum (4)");
}
