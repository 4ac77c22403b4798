// The conversion window driven like a user would: keys and clicks through the window,
// on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <vector>

#include "app/reverse.h"
#include "app/test_app.h"
#include "controller/control_ids.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/frame_window.h"

using namespace controller;
using framework::TEdit;

namespace {

class TestApp : public app::TTestApp {};

// A box the program showed, and how it looked.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    bool modal;
};

// Answers every message box the program shows, after a moment, and remembers it, so that
// a box the test did not expect fails the test instead of hanging it.
class BoxAnswerer : public QObject {
  public:
    BoxAnswerer() {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] { AnswerAll(); });
        timer_.start();
    }
    void AnswerAll() {
        if (paused_) return;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            seen.push_back({box->windowTitle(), box->text(), box->icon(),
                            box->windowModality() != Qt::NonModal});
            box->button(QMessageBox::Ok)->click();
        }
    }
    void Pause(bool paused) { paused_ = paused; }
    std::vector<SeenBox> seen;

  private:
    QTimer timer_;
    bool paused_ = false;
};

std::vector<QMessageBox*> VisibleBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.push_back(box);
    }
    return boxes;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TestApp> application_;
    framework::TFrameWindow* frame_ = nullptr;
    app::Reverse* dialog_ = nullptr;
    std::unique_ptr<BoxAnswerer> boxes_;

    template <class T>
    T* Control(int id) {
        return dialog_->ControlAs<T>(id);
    }
    TEdit* Edit(int id) { return Control<TEdit>(id); }
    QComboBox* List(int id) { return Control<QComboBox>(id); }
    QString Text(int id) { return Edit(id)->text(); }

    void Activate() {
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_));
    }
    void Click(QWidget* w) {
        QTest::mouseClick(frame_->windowHandle(), Qt::LeftButton, {},
                          w->mapTo(frame_, w->rect().center()));
    }
    void ClickId(int id) { Click(dialog_->Control(id)); }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(frame_->windowHandle(), static_cast<Qt::Key>(key), modifiers);
    }
    void Type(const char* text) {
        for (const char* c = text; *c; ++c)
            QTest::keyClick(frame_->windowHandle(), *c);
    }
    // Focus a field by clicking it, then put the caret at the end of its text.
    void FocusEnd(int id) {
        Click(Edit(id));
        Key(Qt::Key_End);
    }
    void Clear(int id) {
        FocusEnd(id);
        for (int i = Text(id).size(); i > 0; --i)
            Key(Qt::Key_Backspace);
    }
    void TypeInto(int id, const char* text) {
        Clear(id);
        Type(text);
    }
    // Picks an entry of a list with the keyboard, as a user can.
    void Pick(int listId, const QString& entry) {
        QComboBox* list = List(listId);
        list->setFocus(Qt::TabFocusReason);
        Key(Qt::Key_Home);
        for (int i = 0; i < list->count() && list->currentText() != entry; ++i)
            Key(Qt::Key_Down);
        QCOMPARE(list->currentText(), entry);
    }
    // Pastes through the field's context menu, which bypasses the keystroke filter.
    void ContextMenuPaste(int id, const QString& clipboardText) {
        QApplication::clipboard()->setText(clipboardText);
        TEdit* edit = Edit(id);
        bool pasted = false;
        QTimer::singleShot(50, this, [&pasted] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions()) {
                if (action->text().contains(QLatin1String("Paste")) && action->isEnabled()) {
                    action->trigger();
                    pasted = true;
                }
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, edit->rect().center(),
                                edit->mapToGlobal(edit->rect().center()));
        QApplication::sendEvent(edit, &event);
        QVERIFY(pasted);
    }
    QStringList Entries(int listId) {
        QStringList entries;
        for (int i = 0; i < List(listId)->count(); ++i)
            entries << List(listId)->itemText(i);
        return entries;
    }
    bool ZoneGroupShown() {
        int shown = 0;
        for (int id : ZoneGroup) {
            QWidget* w = dialog_->Control(id);
            shown += w->isVisible() && w->isEnabled();
        }
        return shown == 4;
    }

  private slots:
    void initTestCase() {
        // As in the program: only the main window's end ends the event loop.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init() {
        boxes_ = std::make_unique<BoxAnswerer>();
        application_ = std::make_unique<TestApp>();
        application_->InitInstance();
        frame_ = application_->MainWindow();
        dialog_ = static_cast<app::Reverse*>(frame_->Client());
        Activate();
    }
    void cleanup() {
        application_.reset();
        boxes_.reset();
        QCoreApplication::processEvents();
    }

    void startUpState() {
        QCOMPARE(frame_->windowTitle(), QString("Перевычисление координат"));
        QCOMPARE(Entries(SourceList),
                 QStringList({"WGS-84 (XYZ)", "WGS-84 (BLH)", "ПЗ-90  (XYZ)", "ПЗ-90  (BLH)",
                              "СК-42  (XYZ)", "СК-42  (BLH)", "СК-42  (XYH)"}));
        QCOMPARE(Entries(TargetList), QStringList({"WGS-84 (BLH)", "ПЗ-90  (XYZ)"}));
        QCOMPARE(List(TargetList)->currentText(), QString("WGS-84 (BLH)"));
        // Each control's text, and whether it is shown and enabled.
        const struct {
            int id;
            const char* text;
            bool shown;
        } controls[] = {{105, "X", true},
                        {106, "Y", true},
                        {107, "Z", true},
                        {111, "B", true},
                        {112, "L", true},
                        {113, "H", true},
                        {AboutButton, "Справка", true},
                        {ConvertButton, "Перевод --->", true},
                        {CloseButton, "Закрыть", true},
                        {MoveButton, " <--- Переместить", true},
                        {ClearResultsButton, "Отменить", false},
                        {SourceCaption, "Из системы координат:", true},
                        {TargetCaption, "в систему координат", true},
                        {RequestedZoneLabel, "Пересчитать в зону", false},
                        {UsedZoneLabel, "Зона", false}};
        for (const auto& c : controls) {
            QWidget* w = dialog_->Control(c.id);
            const QVariant text = w->property("text");
            QCOMPARE(text.toString(), QString(c.text));
            QCOMPARE(w->isVisible(), c.shown);
            QCOMPARE(w->isEnabled(), c.shown);
        }
        for (int id : {108, 109, 110, 114, 115, 116, 123, 125})
            QCOMPARE(Text(id), QString("0"));
        for (int id : ResultFields)
            QVERIFY(Edit(id)->isReadOnly());
        QVERIFY(!ZoneGroupShown());
        QCOMPARE(QApplication::focusWidget(), dialog_->Control(AboutButton));
        // The client area is the dialog's client area, with no border visible.
        QCOMPARE(frame_->size(), dialog_->ClientSize());
        QCOMPARE(dialog_->geometry(), QRect(QPoint(-1, -1), frame_->size() + QSize(2, 2)));
    }

    void tabVisitsTheTabStopsInTemplateOrder() {
        const int order[] = {9, 103, 104, 108, 109, 110, 117, 101, 102, 9};
        for (std::size_t i = 1; i < std::size(order); ++i) {
            Key(Qt::Key_Tab);
            QCOMPARE(ControlIdOfFocus(), order[i]);
        }
        Key(Qt::Key_Backtab);
        QCOMPARE(ControlIdOfFocus(), 102);
        // With the zone group shown, its field joins the tab stops.
        Pick(SourceList, "СК-42  (BLH)");
        Pick(TargetList, "СК-42  (XYH)");
        dialog_->Control(MoveButton)->setFocus();
        Key(Qt::Key_Tab);
        QCOMPARE(ControlIdOfFocus(), RequestedZoneField);
    }
    int ControlIdOfFocus() { return framework::ControlId(QApplication::focusWidget()); }

    void conversionAndMoveThroughTheControls() {
        Pick(SourceList, "WGS-84 (BLH)");
        QCOMPARE(List(TargetList)->currentText(), QString("WGS-84 (XYZ)"));
        TypeInto(108, "554500");
        TypeInto(109, "373700");
        TypeInto(110, "100");
        ClickId(ConvertButton);
        QCOMPARE(Text(114), QString("2849972.61724"));
        QCOMPARE(Text(115), QString("2196095.35833"));
        QCOMPARE(Text(116), QString("5248909.51103"));

        ClickId(MoveButton);
        QCOMPARE(List(SourceList)->currentText(), QString("WGS-84 (XYZ)"));
        QCOMPARE(List(TargetList)->currentText(), QString("WGS-84 (BLH)"));
        QCOMPARE(Text(108), QString("2849972.61724"));
        QCOMPARE(Text(114), QString("0"));
        ClickId(ConvertButton);
        // Back again: the latitude one pass of the iteration behind (9.5e-6" north); the
        // longitude, carried by twelve-digit metres, 3e-7" short of 37°37', which twelve
        // digits of display form write as 37°36'60".
        QCOMPARE(Text(114), QString("554500.000009"));
        QCOMPARE(Text(115), QString("373660"));
        QCOMPARE(Text(116), QString("100.000000519"));
        QVERIFY(boxes_->seen.empty());
    }

    void zoneGroupAppearsForPlaneCoordinates() {
        Pick(SourceList, "СК-42  (BLH)");
        QVERIFY(!ZoneGroupShown());
        Pick(TargetList, "СК-42  (XYH)");
        QVERIFY(ZoneGroupShown());
        QCOMPARE(Control<QLabel>(111)->text(), QString("X"));
        QCOMPARE(Control<QLabel>(113)->text(), QString("H"));
        TypeInto(108, "554500");
        TypeInto(109, "373700");
        TypeInto(110, "100");
        TypeInto(RequestedZoneField, "6");
        ClickId(ConvertButton);
        QCOMPARE(Text(RequestedZoneField), QString("6"));
        QCOMPARE(Text(UsedZoneField), QString("6"));
        QCOMPARE(Text(115).left(1), QString("6"));
        Pick(TargetList, "СК-42  (XYZ)");
        QVERIFY(!ZoneGroupShown());
    }

    void keystrokeFilter() {
        FocusEnd(108);
        Type("12.5");
        QCOMPARE(Text(108), QString("012.5"));
        Type(", e");
        QCOMPARE(Text(108), QString("012.5"));
        TypeInto(109, "--1..2");
        QCOMPARE(Text(109), QString("--1..2"));

        Pick(SourceList, "СК-42  (BLH)");
        Pick(TargetList, "СК-42  (XYH)");
        TypeInto(RequestedZoneField, "1-.2");
        QCOMPARE(Text(RequestedZoneField), QString("12"));

        // Ctrl+V is a keystroke: judged by the text it leaves.
        Clear(110);
        QApplication::clipboard()->setText("12a");
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Text(110), QString(""));
        QApplication::clipboard()->setText("-12.5");
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Text(110), QString("-12.5"));
        QVERIFY(boxes_->seen.empty());
    }

    void typingStopsAtTheVisibleWidth() {
        Clear(108);
        Type("11111111111111111111111111111111111111111111111111");
        const QString typed = Text(108);
        QVERIFY(typed.size() > 5 && typed.size() < 50);
        QVERIFY(Edit(108)->FitsVisibleWidth(typed));
        QVERIFY(!Edit(108)->FitsVisibleWidth(typed + "1"));
    }

    // A pasted text the filter refuses stays, and warns once when the user leaves the
    // field (or asks to close): the focus comes back to it and nothing else changes.
    void leavingABadFieldWarnsAndKeepsTheFocus_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Tab") << 0;
        QTest::newRow("click into another field") << 1;
        QTest::newRow("Enter") << 2;
        QTest::newRow("the frame's close button") << 3;
        QTest::newRow("Закрыть") << 4;
    }
    void leavingABadFieldWarnsAndKeepsTheFocus() {
        QFETCH(int, way);
        TypeInto(109, "5");
        FocusEnd(108);
        ContextMenuPaste(108, "1e5");
        QCOMPARE(Text(108), QString("01e5"));
        Type("7");  // a field holding a bad character rejects every keystroke
        QCOMPARE(Text(108), QString("01e5"));
        QVERIFY(boxes_->seen.empty());
        QSignalSpy ended(frame_, &framework::TFrameWindow::WindowDestroyed);
        switch (way) {
            case 0:
                Key(Qt::Key_Tab);
                break;
            case 1:
                Click(Edit(109));
                break;
            case 2:
                Key(Qt::Key_Return);
                break;
            case 3:
                QVERIFY(!frame_->close());
                break;
            case 4:
                ClickId(CloseButton);
                break;
        }
        QTRY_COMPARE(boxes_->seen.size(), std::size_t(1));
        QCOMPARE(boxes_->seen[0].icon, QMessageBox::Warning);
        QVERIFY(boxes_->seen[0].modal);
        QTest::qWait(100);
        QCOMPARE(boxes_->seen.size(), std::size_t(1));
        QVERIFY(ended.isEmpty() && !dialog_->IsWindowDestroyed() && frame_->isVisible());
        Activate();
        QCOMPARE(QApplication::focusWidget(), Edit(108));
        QCOMPARE(Text(108), QString("01e5"));
        QCOMPARE(Text(109), QString("5"));
        // Backspace works in a field holding a bad character; then it passes again.
        Key(Qt::Key_Backspace);
        Key(Qt::Key_Backspace);
        Click(Edit(109));
        QTest::qWait(100);
        QCOMPARE(boxes_->seen.size(), std::size_t(1));
        QCOMPARE(QApplication::focusWidget(), Edit(109));
    }

    // The result fields are read-only: keys typed into them change nothing.
    void resultFieldsTakeNoKeystrokes() {
        for (int id : ResultFields) {
            Edit(id)->setFocus(Qt::MouseFocusReason);
            Type("12.5");
            Key(Qt::Key_Backspace);
            QCOMPARE(Text(id), QString("0"));
        }
    }

    void twoAboutBoxesAndTheWindowStillWorks() {
        boxes_->Pause(true);
        bool checked = false;
        QTimer::singleShot(100, this, [&] {
            QCOMPARE(VisibleBoxes().size(), std::size_t(1));
            QTimer::singleShot(100, this, [&] {
                const auto open = VisibleBoxes();
                QCOMPARE(open.size(), std::size_t(2));
                for (QMessageBox* box : open) {
                    QCOMPARE(box->windowTitle(), QString("Справка"));
                    QCOMPARE(box->icon(), QMessageBox::NoIcon);
                    QCOMPARE(box->windowModality(), Qt::NonModal);
                    QCOMPARE(box->text(), app::AboutText());
                }
                // The main window still converts while both boxes wait.
                Activate();
                TypeInto(108, "0");
                ClickId(ConvertButton);
                QCOMPARE(Text(116), QString("-6378137"));
                checked = true;
                for (QMessageBox* box : open)
                    box->button(QMessageBox::Ok)->click();
            });
            Activate();
            ClickId(AboutButton);  // the second box; returns when it is answered
        });
        ClickId(AboutButton);
        QTRY_VERIFY(checked);
        QTRY_COMPARE(VisibleBoxes().size(), std::size_t(0));
        boxes_->Pause(false);
    }

    void aboutText() {
        const QStringList lines = app::AboutText().split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QString("Перевычисления координат"));
        QVERIFY(lines[1].startsWith(' ') && !lines[1].startsWith("  "));
        QVERIFY(lines[2].startsWith(' ') && !lines[2].startsWith("  "));
        QVERIFY(!lines[3].startsWith(' '));
        QVERIFY(lines[4].startsWith(' ') && !lines[4].startsWith("  "));
        QVERIFY(!app::AboutText().endsWith('\n'));
    }

    void mathErrorBox() {
        app::InstallMathErrorBox();
        TypeInto(108, "1000");
        TypeInto(110, "1000");
        Pick(SourceList, "WGS-84 (XYZ)");
        Pick(TargetList, "WGS-84 (BLH)");
        ClickId(ConvertButton);
        QCOMPARE(boxes_->seen.size(), std::size_t(1));
        QCOMPARE(boxes_->seen[0].text, QString("asin: DOMAIN error"));
        QCOMPARE(boxes_->seen[0].caption, QString("window_tests"));
        QCOMPARE(boxes_->seen[0].icon, QMessageBox::Critical);
        QVERIFY(!boxes_->seen[0].modal);
        QCOMPARE(Text(114), QString("450000"));  // the geocentric latitude of its one pass
    }

    void resizingKeepsTheDialogFillingTheFrame() {
        const QPoint convertAt = dialog_->Control(ConvertButton)->pos();
        frame_->resize(800, 600);
        QTRY_COMPARE(frame_->size(), QSize(800, 600));
        QCOMPARE(dialog_->geometry(), QRect(-1, -1, 802, 602));
        QCOMPARE(dialog_->Control(ConvertButton)->pos(), convertAt);
        frame_->resize(200, 100);
        QTRY_COMPARE(dialog_->geometry(), QRect(-1, -1, 202, 102));
    }

    void enterOnAButtonPressesIt() {
        TypeInto(110, "0");
        dialog_->Control(ConvertButton)->setFocus(Qt::TabFocusReason);
        Key(Qt::Key_Return);
        QCOMPARE(Text(116), QString("-6378137"));
        QVERIFY(!dialog_->IsWindowDestroyed());
    }

    void unhandledExceptionEndsWithStatusMinusOne() {
        const int status = framework::RunProgram(
            0, nullptr, [](int, char**) -> int { throw std::runtime_error("Нет памяти"); });
        QCOMPARE(status, -1);
        QCOMPARE(boxes_->seen.size(), std::size_t(1));
        QCOMPARE(boxes_->seen[0].caption, QString("Unhandled Exception"));
        QCOMPARE(boxes_->seen[0].text, QString("Нет памяти"));
        QCOMPARE(boxes_->seen[0].icon, QMessageBox::Critical);
        QCOMPARE(framework::RunProgram(0, nullptr, [](int, char**) -> int { throw 42; }), -1);
        QCOMPARE(boxes_->seen.at(1).text, QString("Unknown Exception"));
    }

    // The ways of ending the program: each ends the event loop with status 0, asks
    // nothing, and leaves the main window destroyed.
    void waysOfEnding_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Escape, even with a bad field") << 0;
        QTest::newRow("Enter in a field") << 1;
        QTest::newRow("Закрыть") << 2;
        QTest::newRow("the frame's close button") << 3;
        QTest::newRow("the frame's close button with an About box open") << 4;
    }
    void waysOfEnding() {
        QFETCH(int, way);
        boxes_->Pause(way == 4);
        QTimer::singleShot(0, this, [this, way] {
            switch (way) {
                case 0:
                    FocusEnd(108);
                    ContextMenuPaste(108, "1e5");
                    Key(Qt::Key_Escape);
                    break;
                case 1:
                    FocusEnd(109);
                    Key(Qt::Key_Return);
                    break;
                case 2:
                    ClickId(CloseButton);
                    break;
                case 3:
                    frame_->close();
                    break;
                case 4:
                    QTimer::singleShot(100, this, [this] {
                        QCOMPARE(VisibleBoxes().size(), std::size_t(1));
                        frame_->close();
                    });
                    ClickId(AboutButton);
                    break;
            }
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(frame_->IsWindowDestroyed());
        boxes_->Pause(false);
        if (way != 4) QVERIFY(boxes_->seen.empty());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
