// The conversion window driven like a user would, through keys and clicks on the
// offscreen platform: the scenarios of tests/data/window.scenarios, and what needs more
// than a list of steps (message boxes left open, the frame's geometry).
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <vector>

#include "app/reverse.h"
#include "app/test_app.h"
#include "case_file.h"
#include "controller/control_ids.h"
#include "framework/application.h"
#include "framework/controls.h"
#include "framework/frame_window.h"

using namespace controller;
using framework::TEdit;

namespace {

// A box the program showed, and how it looked.
struct SeenBox {
    QString caption, text;
    QMessageBox::Icon icon;
    bool modal;
};

std::vector<QMessageBox*> VisibleBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.push_back(box);
    }
    return boxes;
}

// Answers every message box the program shows, after a moment, and remembers it, so that
// a box the test did not expect fails the test instead of hanging it.
class BoxAnswerer : public QObject {
  public:
    BoxAnswerer() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QMessageBox* box : paused ? std::vector<QMessageBox*>() : VisibleBoxes()) {
                seen.push_back({box->windowTitle(), box->text(), box->icon(),
                                box->windowModality() != Qt::NonModal});
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer_.start(20);
    }
    bool paused = false;
    std::vector<SeenBox> seen;

  private:
    QTimer timer_;
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<app::TTestApp> application_;
    framework::TFrameWindow* frame_ = nullptr;
    app::Reverse* dialog_ = nullptr;
    std::unique_ptr<BoxAnswerer> boxes_;

    QWidget* Control(int id) { return dialog_->Control(id); }
    TEdit* Edit(int id) { return dialog_->ControlAs<TEdit>(id); }
    void Activate() {
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_));
    }
    void Click(int id) {
        QTest::mouseClick(frame_->windowHandle(), Qt::LeftButton, {},
                          Control(id)->mapTo(frame_, Control(id)->rect().center()));
    }
    void Keys(const QString& keys) {
        for (const QString& key : keys.split(' ', Qt::SkipEmptyParts))
            QTest::keySequence(frame_->windowHandle(), QKeySequence(key));
    }
    void Type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    QString TextOf(int id) {
        if (auto* list = qobject_cast<QComboBox*>(Control(id))) return list->currentText();
        return Control(id)->property("text").toString();
    }
    // One step of a scenario: a verb, then a control id and a text where it takes them.
    void Step(const QString& step) {
        const QString verb = step.section(' ', 0, 0), rest = step.section(' ', 1);
        const int id = rest.section(' ', 0, 0).toInt();
        const QString text = rest.section(' ', 1);
        if (verb == "pick") {
            auto* list = qobject_cast<QComboBox*>(Control(id));
            list->setFocus(Qt::TabFocusReason);
            Keys("Home");
            for (int i = 0; i < list->count() && list->currentText() != text; ++i)
                Keys("Down");
            QCOMPARE(list->currentText(), text);
        } else if (verb == "focus" || verb == "typeinto") {
            Click(id);
            Keys("End");
            for (int i = verb == "typeinto" ? Edit(id)->text().size() : 0; i > 0; --i)
                Keys("Backspace");
            Type(text);
        } else if (verb == "set") {
            Edit(id)->setText(text);
        } else if (verb == "setfocus") {
            Control(id)->setFocus(Qt::TabFocusReason);
        } else if (verb == "type") {
            Type(rest);
        } else if (verb == "key") {
            Keys(rest);
        } else if (verb == "click") {
            Click(id);
        } else if (verb == "paste") {  // what the context menu's Paste does: no keystrokes
            QApplication::clipboard()->setText(text);
            Edit(id)->paste();
        } else if (verb == "clipboard") {
            QApplication::clipboard()->setText(rest);
        } else if (verb == "text") {
            QCOMPARE(TextOf(id), text);
        } else if (verb == "tooltip") {
            QCOMPARE(Control(id)->toolTip(), text);
        } else if (verb == "focused") {
            Activate();
            QCOMPARE(framework::ControlId(QApplication::focusWidget()), id);
        } else if (verb == "shown" || verb == "hidden") {
            for (const QString& each : rest.split(' ')) {
                QWidget* w = Control(each.toInt());
                QCOMPARE(w->isVisible() && w->isEnabled(), verb == "shown");
                QCOMPARE(w->isVisible() || w->isEnabled(), verb == "shown");
            }
        } else if (verb == "boxes") {
            QTRY_COMPARE(boxes_->seen.size(), std::size_t(id));
            if (!text.isEmpty()) {
                const SeenBox& box = boxes_->seen.back();
                QCOMPARE(QVariant::fromValue(box.icon).toString(), text.section(' ', 0, 0));
                QCOMPARE(box.modal, box.icon == QMessageBox::Warning);
                if (text.contains(' ')) QCOMPARE(box.caption, text.section(' ', 1));
            }
        } else if (verb == "running") {
            QVERIFY(!dialog_->IsWindowDestroyed() && frame_->isVisible());
        } else if (verb == "close") {
            frame_->close();
        } else if (verb == "wait") {
            QTest::qWait(id);
        } else {
            QFAIL(qPrintable("no step " + verb));
        }
    }

  private slots:
    void initTestCase() {
        // As in the program: only the main window's end ends the event loop.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init() {
        boxes_ = std::make_unique<BoxAnswerer>();
        app::InstallMathErrorBox();  // as the program does at start-up
        application_ = std::make_unique<app::TTestApp>();
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

    void scenario_data() {
        QTest::addColumn<QStringList>("steps");
        const std::string file = COORDCONV_TEST_DATA "/window.scenarios";
        for (const auto& c : testing_support::ReadCases(file)) {
            QStringList steps = QString::fromStdString(c.fields.at(1)).split(';');
            for (QString& step : steps)
                step = step.trimmed();
            QTest::newRow(c.fields.at(0).c_str()) << steps;
        }
    }
    void scenario() {
        QFETCH(QStringList, steps);
        const auto ends = steps.indexOf("ends");
        for (const QString& step : steps.mid(0, ends)) {
            Step(step);
            if (QTest::currentTestFailed()) QFAIL(qPrintable("at the step \"" + step + '"'));
        }
        if (ends < 0) return;
        QTimer::singleShot(0, this, [this, rest = steps.mid(ends + 1)] {
            for (const QString& step : rest)
                Step(step);
        });
        QObject deadline;  // a program that does not end fails in 10 s instead of hanging
        QTimer::singleShot(10000, &deadline, [] { QApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(frame_->IsWindowDestroyed());
    }

    void typingStopsAtTheVisibleWidth() {
        Step("typeinto 108 11111111111111111111111111111111111111111111111111");
        const QString typed = Edit(108)->text();
        QVERIFY(typed.size() > 5 && typed.size() < 50);
        QVERIFY(Edit(108)->FitsVisibleWidth(typed));
        QVERIFY(!Edit(108)->FitsVisibleWidth(typed + "1"));
    }

    void twoAboutBoxesAndTheWindowStillWorks() {
        boxes_->paused = true;
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
                    QVERIFY(box->text().startsWith("Перевычисления координат\n между WGS-84"));
                }
                // The main window still converts while both boxes wait.
                Activate();
                Step("typeinto 108 0");
                Step("click 117");
                Step("text 116 -6378137");
                checked = true;
                for (QMessageBox* box : open)
                    box->button(QMessageBox::Ok)->click();
            });
            Activate();
            Click(AboutButton);  // the second box; returns when it is answered
        });
        Click(AboutButton);
        QTRY_VERIFY(checked);
        QTRY_COMPARE(VisibleBoxes().size(), std::size_t(0));
        boxes_->paused = false;
    }

    // The frame is the dialog's client area, captioned, with no border of the dialog
    // visible, and keeps the dialog filling it on every resize; it is never smaller.
    void frameFitsTheDialog() {
        QCOMPARE(frame_->windowTitle(), QString("Перевычисление координат"));
        QCOMPARE(frame_->size(), dialog_->ClientSize());
        QCOMPARE(dialog_->geometry(), QRect(QPoint(-1, -1), frame_->size() + QSize(2, 2)));
        const QPoint convertAt = Control(ConvertButton)->pos();
        frame_->resize(800, 600);
        QTRY_COMPARE(frame_->size(), QSize(800, 600));
        QCOMPARE(dialog_->geometry(), QRect(-1, -1, 802, 602));
        QCOMPARE(Control(ConvertButton)->pos(), convertAt);
        frame_->resize(200, 100);  // never smaller than the dialog: no control is cut off
        QTRY_COMPARE(frame_->size(), dialog_->ClientSize());
        QCOMPARE(dialog_->geometry(), QRect(QPoint(-1, -1), frame_->size() + QSize(2, 2)));
    }

    // A focused push button or list is marked: it looks different from when it is not.
    void focusedButtonsAndListsAreMarked() {
        for (int id : {AboutButton, ConvertButton, SourceList, TargetList}) {
            Control(id)->setFocus(Qt::TabFocusReason);
            const QImage focused = Control(id)->grab().toImage();
            Control(InputFields[0])->setFocus(Qt::TabFocusReason);
            QVERIFY2(Control(id)->grab().toImage() != focused, qPrintable(QString::number(id)));
        }
    }

    void unhandledExceptionEndsWithStatusMinusOne() {
        const int status = framework::RunProgram(
            0, nullptr, [](int, char**) -> int { throw std::runtime_error("Нет памяти"); });
        QCOMPARE(status, -1);
        Step("boxes 1 Critical Unhandled Exception");
        QCOMPARE(boxes_->seen[0].text, QString("Нет памяти"));
        QCOMPARE(framework::RunProgram(0, nullptr, [](int, char**) -> int { throw 42; }), -1);
        QCOMPARE(boxes_->seen.at(1).text, QString("Unknown Exception"));
    }

    void closingTheFrameWithAnAboutBoxOpenEnds() {
        boxes_->paused = true;
        QTimer::singleShot(0, this, [this] {
            QTimer::singleShot(100, this, [this] {
                QCOMPARE(VisibleBoxes().size(), std::size_t(1));
                frame_->close();
            });
            Click(AboutButton);
        });
        QCOMPARE(QApplication::exec(), 0);
        boxes_->paused = false;
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
