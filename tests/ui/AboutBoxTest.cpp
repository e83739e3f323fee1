#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <fstream>
#include <vector>

#include "app/AboutBox.h"
#include "app/LinkColours.h"
#include "app/LinkControl.h"
#include "tests/link/TempDir.h"

namespace {

constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};

TEST(LinkColours, OnlyThreeNumbersInTheViewGroupReplaceTheDefaults) {
    struct Case {
        const char* contents;
        Rgb link;
        Rgb hover;
    };
    const std::vector<Case> cases = {
        {"[Colors:View]\nForegroundLink=0,0,128\n", {0, 0, 128}, kRed},
        {"[General]\nx=1\n\n[Colors:View]\nForegroundActive = "
         "61,174,233\nForegroundLink=41,128,185\n",
         {41, 128, 185},
         {61, 174, 233}},
        {"[Colors:View]\nForegroundLink=0,128\nForegroundActive=1,2,3,4\n", kBlue, kRed},
        {"[Colors:View]\nForegroundLink=,0,128\nForegroundActive=256,0,0\n", kBlue, kRed},
        {"[Colors:View]\nForegroundLink=0,,128\nForegroundActive=-1,0,0\n", kBlue, kRed},
        {"[Colors:Button]\nForegroundLink=0,0,128\n[Colors:View]\n", kBlue, kRed},
        {"ForegroundLink=0,0,128\n", kBlue, kRed},
    };
    TempDir dir;
    const auto file = dir.Path() / "kdeglobals";
    for (const Case& c : cases) {
        std::ofstream(file) << c.contents;
        const LinkColours colours = ReadLinkColours(file);
        EXPECT_EQ(colours.link, c.link) << c.contents;
        EXPECT_EQ(colours.hover, c.hover) << c.contents;
    }
    const LinkColours missing = ReadLinkColours(dir.Path() / "absent");
    EXPECT_EQ(missing.link, kBlue);
    EXPECT_EQ(missing.hover, kRed);
}

// Pixels of the widget drawn in about this colour (text edges blend with the
// background, so look for the colour's dominant channels).
int PixelsNear(QWidget& widget, const QColor& colour) {
    const QImage image = widget.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 40 &&
                std::abs(pixel.green() - colour.green()) < 40 &&
                std::abs(pixel.blue() - colour.blue()) < 40)
                ++count;
        }
    }
    return count;
}

class AboutBoxTest : public testing::Test {
protected:
    std::vector<QUrl> opened;
    const LinkColours colours{{0, 128, 0}, {200, 0, 200}};

    std::unique_ptr<AboutBox> MakeBox(const QString& address) {
        auto box = std::make_unique<AboutBox>(
            nullptr, AboutTexts{"A notice", address},
            [this](const QUrl& url) { opened.push_back(url); }, colours);
        box->show();
        box->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(box.get()));
        return box;
    }
};

TEST_F(AboutBoxTest, ShowsTheNameInBoldTheVersionAndTheNotice) {
    auto box = MakeBox("https://example.org/r7");
    EXPECT_EQ(box->windowTitle(), "About Tarvel R7 Dashboard");
    auto* name = box->findChild<QLabel*>("displayName");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Tarvel R7 Dashboard");
    EXPECT_TRUE(name->font().bold());
    EXPECT_EQ(box->findChild<QLabel*>("version")->text(), "Version 1.0.20.0");
    EXPECT_EQ(box->findChild<QLabel*>("notice")->text(), "A notice");
    EXPECT_TRUE(box->findChild<QLabel*>("visitLabel")->isVisible());
    EXPECT_EQ(box->findChild<LinkControl*>("link")->text(), "https://example.org/r7");
}

TEST_F(AboutBoxTest, WithoutAnAddressTheLinkLineIsNeitherShownNorReachable) {
    auto box = MakeBox("");
    auto* link = box->findChild<LinkControl*>("link");
    EXPECT_FALSE(box->findChild<QLabel*>("visitLabel")->isVisible());
    EXPECT_FALSE(link->isVisible());
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), link);
    }
    link->setFocus();
    EXPECT_FALSE(link->hasFocus());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
}

TEST_F(AboutBoxTest, SpaceReleaseAndClickEachOpenTheAddressOnce) {
    auto box = MakeBox("www.example.org");
    auto* link = box->findChild<LinkControl*>("link");
    link->setFocus();
    ASSERT_TRUE(link->hasFocus());
    QTest::keyPress(link, Qt::Key_Space);
    EXPECT_TRUE(opened.empty());
    QTest::keyRelease(link, Qt::Key_Space);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("http://www.example.org"));

    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2u);
    // A press that ends outside the link is not a click.
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(AboutBoxTest, HoverUnderlinesInTheHoverColourAndLeavingRestoresTheLink) {
    auto box = MakeBox("https://example.org");
    auto* link = box->findChild<LinkControl*>("link");
    const QColor linkColour(0, 128, 0);
    const QColor hoverColour(200, 0, 200);
    EXPECT_GT(PixelsNear(*link, linkColour), 0);

    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, link->mapToGlobal(inside));
    QApplication::sendEvent(link, &enter);
    EXPECT_TRUE(link->font().underline());
    EXPECT_GT(PixelsNear(*link, hoverColour), 0);
    EXPECT_EQ(PixelsNear(*link, linkColour), 0);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_FALSE(link->IsHovering());
    EXPECT_FALSE(link->font().underline());
    EXPECT_EQ(PixelsNear(*link, hoverColour), 0);
    EXPECT_GT(PixelsNear(*link, linkColour), 0);

    // A click also leaves the link as it was before the pointer came.
    QApplication::sendEvent(link, &enter);
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_FALSE(link->font().underline());
}

}  // namespace
