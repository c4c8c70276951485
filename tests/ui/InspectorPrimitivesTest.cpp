#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <cmath>

#include "ui/ElidedLabel.h"
#include "ui/InspectorRow.h"
#include "ui/InspectorSection.h"
#include "ui/InspectorSliderRow.h"
#include "ui/InspectorWidgets.h"
#include "ui/Settings.h"
#include "ui/SparklineView.h"

namespace tavrin {
namespace {

struct ParseCase {
    const char* text;
    std::optional<double> expected;
};

TEST(SliderEntryTest, ParsesCLocaleDecimalsClampsAndRejectsTheRest) {
    const ParseCase cases[] = {
        {"42", 42},
        {"  17.5\t", 17.5},
        {"\t-3", -3},
        {"2.5e1", 25},
        {"1E-2", 0.01},
        {"+8", 8},
        {".5", 0.5},
        {"1000", 100},
        {"-1e3", -50},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"1e999", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1,5", std::nullopt},
        {"0x10", std::nullopt},
        {"5 5", std::nullopt},
        {"+-3", std::nullopt},
        {"\n4", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseSliderEntry(QString::fromUtf8(c.text), -50, 100), c.expected)
            << "text: \"" << c.text << "\"";
    }
    // A range given upside down still clamps into its two bounds.
    EXPECT_EQ(parseSliderEntry(QStringLiteral("500"), 100, -50), 100);
    // Digits of another script are not C-locale digits.
    EXPECT_EQ(parseSliderEntry(QStringLiteral("\u0664\u0662"), 0, 100), std::nullopt);
}

TEST(SliderEntryTest, EditingStartsWithDecimalsByMagnitude) {
    EXPECT_EQ(sliderEditStartText(-150), QStringLiteral("-150"));
    EXPECT_EQ(sliderEditStartText(100), QStringLiteral("100"));
    EXPECT_EQ(sliderEditStartText(42.25), QStringLiteral("42.2"));
    EXPECT_EQ(sliderEditStartText(-10), QStringLiteral("-10.0"));
    EXPECT_EQ(sliderEditStartText(3.14159), QStringLiteral("3.14"));
    EXPECT_EQ(sliderEditStartText(0), QStringLiteral("0.00"));
}

class SliderRowTest : public ::testing::Test {
protected:
    SliderRowTest() : row_(QStringLiteral("Brightness"), -50, 100) {
        row_.setValue(20);
        row_.setReadout(QStringLiteral("20"));
        row_.resize(320, 30);
        row_.show();
        QApplication::setActiveWindow(&row_);
    }
    void type(const QString& text) {
        QTest::mouseClick(row_.readoutLabel(), Qt::LeftButton);
        row_.editor()->setText(text);
    }

    InspectorSliderRow row_;
    QSignalSpy edits_{&row_, &InspectorSliderRow::valueEdited};
};

TEST_F(SliderRowTest, AClickOnTheReadoutEditsAndReturnCommitsTheClampedNumber) {
    QTest::mouseClick(row_.readoutLabel(), Qt::LeftButton);
    ASSERT_TRUE(row_.isEditing());
    EXPECT_EQ(row_.editor()->text(), QStringLiteral("20.0"));
    row_.editor()->setText(QStringLiteral("  1e3 "));
    QTest::keyClick(row_.editor(), Qt::Key_Return);
    EXPECT_FALSE(row_.isEditing());
    ASSERT_EQ(edits_.size(), 1);
    EXPECT_EQ(edits_[0][0].toDouble(), 100);
    EXPECT_EQ(row_.slider()->value(), row_.slider()->maximum());
}

// A drag is many steps: each report is a request to a device or a server, so the row sends the
// latest one at a steady pace and always the last, and the handle follows the hand, not the
// model's answers to earlier steps.
TEST_F(SliderRowTest, ADragReportsTheLatestValueAtAPaceAndTheLastOneAlways) {
    auto* slider = row_.slider();
    slider->setSliderDown(true);
    for (int position = 71; position <= 120; ++position) {
        slider->setValue(position);  // -50 + position: 21 … 70
    }
    ASSERT_EQ(edits_.size(), 1);  // the first step at once
    EXPECT_EQ(edits_[0][0].toDouble(), 21);
    // The model answers the first step: the held handle stays where the hand is.
    row_.setValue(21);
    EXPECT_EQ(slider->value(), 120);
    QTest::qWait(InspectorSliderRow::dragReportMilliseconds * 3);
    ASSERT_EQ(edits_.size(), 2);  // the latest, once
    EXPECT_EQ(edits_[1][0].toDouble(), 70);

    slider->setValue(130);
    slider->setSliderDown(false);
    ASSERT_EQ(edits_.size(), 3);  // let go: the last value is always sent
    EXPECT_EQ(edits_[2][0].toDouble(), 80);
    // Released, the handle follows the model again.
    row_.setValue(75);
    EXPECT_EQ(slider->value(), 125);

    // Held without a move, what the model said meanwhile shows once it is let go.
    slider->setSliderDown(true);
    row_.setValue(10);
    EXPECT_EQ(slider->value(), 125);
    slider->setSliderDown(false);
    EXPECT_EQ(slider->value(), 60);
    EXPECT_EQ(edits_.size(), 3);
}

TEST_F(SliderRowTest, BadTextEscapeAndFocusLossLeaveTheValueAlone) {
    for (const auto* text : {"nan", "1e999", "-", "", "letters"}) {
        type(QString::fromLatin1(text));
        QTest::keyClick(row_.editor(), Qt::Key_Return);
        EXPECT_FALSE(row_.isEditing()) << text;
    }
    type(QStringLiteral("7"));
    QTest::keyClick(row_.editor(), Qt::Key_Escape);
    EXPECT_FALSE(row_.isEditing());

    QLineEdit elsewhere(&row_);
    elsewhere.move(0, 0);
    elsewhere.show();
    type(QStringLiteral("9"));
    elsewhere.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(row_.isEditing());

    EXPECT_EQ(edits_.size(), 0);
    EXPECT_EQ(row_.value(), 20);
}

TEST_F(SliderRowTest, ADisabledRowNeitherEditsNorShowsTheTextCursor) {
    EXPECT_EQ(row_.readoutLabel()->cursor().shape(), Qt::IBeamCursor);
    row_.setEnabled(false);
    QTest::mouseClick(row_.readoutLabel(), Qt::LeftButton);
    EXPECT_FALSE(row_.isEditing());
    EXPECT_FALSE(row_.readoutLabel()->testAttribute(Qt::WA_SetCursor));
}

TEST_F(SliderRowTest, ANaNValueLeavesTheSliderWhereItWas) {
    const int before = row_.slider()->value();
    row_.setValue(std::nan(""));
    EXPECT_EQ(row_.value(), 20);
    EXPECT_EQ(row_.slider()->value(), before);
    EXPECT_EQ(edits_.size(), 0);  // the model's own values are not echoed back as edits
}

TEST_F(SliderRowTest, BoundsInTheWrongOrderGiveAUsableSlider) {
    row_.setRange(65535, -1);
    EXPECT_EQ(row_.lower(), -1);
    EXPECT_EQ(row_.upper(), 65535);
    EXPECT_EQ(row_.slider()->maximum() - row_.slider()->minimum(), 65536);
    row_.slider()->setValue(row_.slider()->maximum());
    ASSERT_EQ(edits_.size(), 1);
    EXPECT_EQ(edits_[0][0].toDouble(), 65535);
}

TEST(SparklineTest, AZeroWidthRangeStillDrawsInsideTheBox) {
    const double phase = sparklinePhase(QStringLiteral("Zoom"));
    for (const double value : {0.0, 5.0, -5.0}) {
        const auto heights = sparklineHeights(value, 5, 5, phase);
        for (const double h : heights) {
            EXPECT_TRUE(std::isfinite(h));
            EXPECT_GE(h, 0.02);
            EXPECT_LE(h, 0.98);
        }
    }
    const auto points = sparklinePoints(sparklineHeights(1, 0, 1, phase), QSizeF(38, 14));
    EXPECT_EQ(points.front().x(), 0);
    EXPECT_EQ(points.back().x(), 38);
    SparklineView view(QStringLiteral("Zoom"));
    view.setValue(5, 5, 5);
    EXPECT_FALSE(view.grab().isNull());
}

TEST(SparklineTest, TheShapeFollowsTheLabelAndTheValueWithinARun) {
    const auto a = sparklineHeights(0.3, 0, 1, sparklinePhase(QStringLiteral("Gain")));
    EXPECT_EQ(a, sparklineHeights(0.3, 0, 1, sparklinePhase(QStringLiteral("Gain"))));
    const auto higher = sparklineHeights(0.8, 0, 1, sparklinePhase(QStringLiteral("Gain")));
    EXPECT_GT(higher[0], a[0]);
    const double phase = sparklinePhase(QStringLiteral("Gain"));
    EXPECT_GT(phase, -M_PI);
    EXPECT_LT(phase, M_PI);
}

class SectionTest : public ::testing::Test {
protected:
    SectionTest() { openSettings()->clear(); }
    ~SectionTest() override { openSettings()->clear(); }
};

TEST_F(SectionTest, TheOpenStateIsSharedByTitleAndSurvivesANewSection) {
    QWidget window;
    auto* first = new InspectorSection(QStringLiteral("General"), false, &window);
    auto* twin = new InspectorSection(QStringLiteral("General"), false, &window);
    auto* other = new InspectorSection(QStringLiteral("Other"), false, &window);
    EXPECT_FALSE(first->isExpanded());
    EXPECT_EQ(first->toggleButton()->text(), QStringLiteral("Show"));

    QTest::mouseClick(first->toggleButton(), Qt::LeftButton);
    EXPECT_TRUE(first->isExpanded());
    EXPECT_TRUE(twin->isExpanded());
    EXPECT_FALSE(other->isExpanded());
    EXPECT_EQ(first->toggleButton()->text(), QStringLiteral("Hide"));
    EXPECT_EQ(openSettings()->value(QStringLiteral("inspector.section.General.expanded")),
              QVariant(true));

    // A later window's section, created closed by default, opens as the user left it.
    QWidget later;
    InspectorSection again(QStringLiteral("General"), false, &later);
    EXPECT_TRUE(again.isExpanded());
    EXPECT_TRUE(again.contentArea()->isVisibleTo(&again));
}

TEST_F(SectionTest, ADamagedStoredStateGivesTheCallersDefault) {
    openSettings()->setValue(SettingsKey::inspectorSectionExpanded(QStringLiteral("UVC Image")),
                             QStringLiteral("perhaps"));
    InspectorSection section(QStringLiteral("UVC Image"), true);
    EXPECT_TRUE(section.isExpanded());
}

TEST_F(SectionTest, TheButtonFadesInWhileThePointerIsOverTheHeader) {
    InspectorSection section(QStringLiteral("General"), true);
    section.resize(300, 200);
    section.show();
    EXPECT_EQ(section.toggleOpacity(), 0);
    QEvent enter(QEvent::HoverEnter);
    QApplication::sendEvent(section.toggleButton()->parentWidget(), &enter);
    QTest::qWait(InspectorSection::fadeMilliseconds + 80);
    EXPECT_EQ(section.toggleOpacity(), 1);
    QEvent leave(QEvent::HoverLeave);
    QApplication::sendEvent(section.toggleButton()->parentWidget(), &leave);
    QTest::qWait(InspectorSection::fadeMilliseconds + 80);
    EXPECT_EQ(section.toggleOpacity(), 0);
}

TEST(InspectorRowTest, ALongLabelIsCutToItsColumnAndKeptInTheTooltip) {
    InspectorRow row(QStringLiteral("Backlight Compensation Of A Very Long Kind"));
    row.setText(QStringLiteral("12"));
    EXPECT_EQ(row.text(), QStringLiteral("12"));
    EXPECT_TRUE(row.valueLabel()->textInteractionFlags() & Qt::TextSelectableByMouse);
    const auto* label = row.findChildren<QLabel*>().first();
    EXPECT_EQ(label->width(), InspectorRow::labelWidth);
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(label->toolTip(), row.label());
}

TEST(ElidedLabelTest, CopyingACutValueCopiesItWhole) {
    const QString id =
        QStringLiteral("0x1420000046d0825-a-very-long-unique-identifier-of-a-camera");
    ElidedLabel label(Qt::ElideMiddle);
    label.setTextInteractionFlags(Qt::TextSelectableByMouse);
    label.setFullText(id);
    label.resize(80, 20);
    label.show();
    ASSERT_TRUE(label.isElided());
    ASSERT_TRUE(label.text().contains(QStringLiteral("\u2026")));
    QGuiApplication::clipboard()->clear();
    label.setSelection(0, int(label.text().size()));
    QTest::keyClick(&label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), id);
    // Edit ▸ Copy calls the focused widget's copy().
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(QMetaObject::invokeMethod(&label, "copy"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), id);

    // A value that fits copies as QLabel copies it.
    label.resize(2000, 20);
    ASSERT_FALSE(label.isElided());
    label.setSelection(0, 4);
    QTest::keyClick(&label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), id.left(4));
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// Arrow keys step through a picker faster than a camera answers: the answer to an earlier step
// must not pull the picker back, or the next key steps from the old choice again. A pick the
// device never takes gives way to what it reports.
TEST(PickerTest, TheUsersPickStaysUntilTheDeviceReportsItOrTheHoldEnds) {
    auto* picker = makePicker(QStringLiteral("Frame Rate"));
    const std::unique_ptr<QComboBox> owner(picker);
    const QStringList rates{"30 fps", "24 fps", "20 fps", "15 fps"};
    setPickerItems(picker, rates, 0);
    picker->show();
    QApplication::setActiveWindow(picker);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down);
    QTest::keyClick(picker, Qt::Key_Down);
    EXPECT_EQ(picker->currentText(), QStringLiteral("20 fps"));
    setPickerItems(picker, rates, 1);  // the first step's answer
    EXPECT_EQ(picker->currentText(), QStringLiteral("20 fps"));
    QTest::keyClick(picker, Qt::Key_Down);
    EXPECT_EQ(picker->currentText(), QStringLiteral("15 fps"));
    setPickerItems(picker, rates, 3);
    EXPECT_EQ(picker->currentText(), QStringLiteral("15 fps"));
    // Taken: from now on the device's reports are shown at once.
    setPickerItems(picker, rates, 0);
    EXPECT_EQ(picker->currentText(), QStringLiteral("30 fps"));

    // Refused: the device keeps reporting the old rate, which stands once the hold is over.
    QTest::keyClick(picker, Qt::Key_Down);
    setPickerItems(picker, rates, 0);
    EXPECT_EQ(picker->currentText(), QStringLiteral("24 fps"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return picker->currentText() == QLatin1String("30 fps"); },
                                ElidingComboBox::pickHoldMilliseconds * 3));

    // Other choices end a hold at once: the pick was among the old ones.
    QTest::keyClick(picker, Qt::Key_Down);
    ASSERT_EQ(picker->currentText(), QStringLiteral("24 fps"));
    setPickerItems(picker, {"60 fps", "50 fps", "25 fps"}, 0);
    EXPECT_EQ(picker->currentText(), QStringLiteral("60 fps"));
}

}  // namespace
}  // namespace tavrin
