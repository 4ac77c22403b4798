// Thousands of random user actions on the real dialog, offscreen, with the dialog's
// invariants checked after every one. A failure prints the seed and the actions.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <random>

#include "app/reverse.h"
#include "app/test_app.h"
#include "controller/catalogue.h"
#include "controller/control_ids.h"
#include "controller/number_text.h"
#include "framework/controls.h"
#include "framework/frame_window.h"

using namespace controller;

namespace {

// Answers every message box as soon as it shows.
class BoxAnswerer : public QObject {
  public:
    BoxAnswerer() {
        connect(&timer_, &QTimer::timeout, this, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    box->button(QMessageBox::Ok)->click();
                }
            }
        });
        timer_.start(5);
    }

  private:
    QTimer timer_;
};

// A result text is a number as the twelve-digit general format writes it; a result that
// is not finite is written inf or nan.
bool IsResultText(const QString& text) {
    const std::string s = text.toStdString();
    if (s == "nan" || s == "inf" || s == "-inf") return true;
    const LeadingReal read = ReadLeadingReal(s);
    return read.length == s.size() && FormatGeneral(read.value, ResultDigits) == s;
}

const char kTypable[] = "0123456789.+-e, ;xЖ";
const char* const kPastes[] = {
    "1e5",  "-12.5", "12a",   "",     "٣",        "--1..2", "9999999999999999999999",
    "0x10", "nan",   "1e999", "  7 ", "554530.5", "60",     "-0.000123456789012",
    "Ёж"};

}  // namespace

class WindowStressTest : public QObject {
    Q_OBJECT

  private:
    QStringList log_;
    app::Reverse* dialog_ = nullptr;
    framework::TFrameWindow* frame_ = nullptr;

    QString Fail(const QString& what) {
        return what + "\nactions:\n  " + log_.mid(log_.size() - 40).join("\n  ");
    }

    QString Invariants() {
        auto* source = dialog_->ControlAs<QComboBox>(SourceList);
        auto* target = dialog_->ControlAs<QComboBox>(TargetList);
        if (source->currentIndex() < 0 || target->currentIndex() < 0)
            return "a list has no selection";
        const auto system = FindSystemByName(source->currentText().toStdString());
        if (!system) return "the source is no system";
        const auto offered = OfferedTargets(*system);
        if (target->count() != static_cast<int>(offered.size()))
            return "the target list is not the offered one";
        for (int i = 0; i < target->count(); ++i) {
            if (target->itemText(i).toStdString() != DisplayName(offered[i])) {
                return "the target list is not the offered one";
            }
        }
        const bool plane =
            target->currentText().toStdString() == DisplayName(CoordinateSystem::Sk42Xyh);
        for (int id : ZoneGroup) {
            QWidget* w = dialog_->Control(id);
            if (w->isVisible() != plane || w->isEnabled() != plane) {
                return QString("zone control %1 shown or enabled wrongly").arg(id);
            }
        }
        QWidget* clear = dialog_->Control(ClearResultsButton);
        if (clear->isVisible() || clear->isEnabled()) return "\"Отменить\" appeared";
        for (int id : ResultFields) {
            auto* field = dialog_->ControlAs<framework::TEdit>(id);
            if (!field->isReadOnly()) return "a result field became editable";
            if (!IsResultText(field->text()))
                return "result \"" + field->text() + "\" is no number";
        }
        if (dialog_->IsWindowDestroyed() || !frame_->isVisible()) return "the window closed";
        return {};
    }

    void Act(std::mt19937& random) {
        const auto pick = [&](int n) { return static_cast<int>(random() % n); };
        QWindow* window = frame_->windowHandle();
        switch (pick(10)) {
            case 0:
            case 1: {
                const int id = pick(2) ? SourceList : TargetList;
                auto* list = dialog_->ControlAs<QComboBox>(id);
                list->setFocus(Qt::TabFocusReason);
                const int steps = 1 + pick(3);
                const auto key = pick(2) ? Qt::Key_Down : Qt::Key_Up;
                log_ << QString("list %1: %2 × %3")
                            .arg(id)
                            .arg(steps)
                            .arg(key == Qt::Key_Down ? "Down" : "Up");
                for (int i = 0; i < steps; ++i)
                    QTest::keyClick(window, key);
                break;
            }
            case 2:
            case 3: {
                // Mostly the fields a user types into; now and then a result field, which
                // must not take the keystrokes.
                const int choice = pick(8);
                const int id = choice < 5   ? InputFields[pick(3)]
                               : choice < 7 ? RequestedZoneField
                                            : ResultFields[pick(3)];
                auto* field = dialog_->ControlAs<framework::TEdit>(id);
                if (!field->isVisible()) break;
                field->setFocus(Qt::MouseFocusReason);
                const QString before = field->text();
                QString text;
                const QString typable = QString::fromUtf8(kTypable);
                for (int n = pick(6); n >= 0; --n)
                    text += typable.at(pick(typable.size()));
                log_ << QString("type \"%1\" into %2").arg(text).arg(id);
                for (QChar c : text) {
                    // What a keyboard sends for the character, letters beyond ASCII too.
                    QKeyEvent press(QEvent::KeyPress,
                                    c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_unknown,
                                    Qt::NoModifier, QString(c));
                    QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, QString(c));
                    QApplication::sendEvent(field, &press);
                    QApplication::sendEvent(field, &release);
                }
                if (pick(4) == 0) QTest::keyClick(window, Qt::Key_Backspace);
                if (field->isReadOnly() && field->text() != before) {
                    QFAIL(qPrintable(Fail("the user edited result field " + QString::number(id))));
                }
                break;
            }
            case 4: {
                const int id = pick(4) ? InputFields[pick(3)] : RequestedZoneField;
                auto* field = dialog_->ControlAs<framework::TEdit>(id);
                if (!field->isVisible()) break;
                const QString text = QString::fromUtf8(kPastes[pick(std::size(kPastes))]);
                log_ << QString("paste \"%1\" into %2").arg(text).arg(id);
                QApplication::clipboard()->setText(text);
                field->setFocus(Qt::MouseFocusReason);
                field->paste();  // what the context menu's Paste does
                break;
            }
            case 5:
            case 6:
                log_ << "convert";
                dialog_->ControlAs<QAbstractButton>(ConvertButton)->click();
                break;
            case 7:
                log_ << "move";
                dialog_->ControlAs<QAbstractButton>(MoveButton)->click();
                break;
            case 8:
                log_ << "Tab";
                QTest::keyClick(window, pick(2) ? Qt::Key_Tab : Qt::Key_Backtab);
                break;
            case 9:
                if (pick(20) == 0) {
                    log_ << "About";
                    dialog_->ControlAs<QAbstractButton>(AboutButton)->click();
                } else {
                    log_ << "click a label";
                    QTest::mouseClick(window, Qt::LeftButton, {},
                                      dialog_->Control(SourceCaption)->geometry().center());
                }
                break;
        }
        QCoreApplication::processEvents();
    }

  private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void randomActionsKeepTheDialogsInvariants_data() {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 2u, 3u})
            QTest::addRow("seed %u", seed) << seed;
    }

    void randomActionsKeepTheDialogsInvariants() {
        QFETCH(unsigned, seed);
        BoxAnswerer answerer;
        app::InstallMathErrorBox();
        app::TTestApp application;
        application.InitInstance();
        frame_ = application.MainWindow();
        dialog_ = static_cast<app::Reverse*>(frame_->Client());
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_));
        log_.clear();
        std::mt19937 random(seed);
        for (int i = 0; i < 1500; ++i) {
            Act(random);
            if (QTest::currentTestFailed()) return;
            const QString broken = Invariants();
            QVERIFY2(broken.isEmpty(),
                     qPrintable(QString("seed %1, action %2: ").arg(seed).arg(i) + Fail(broken)));
        }
    }
};

QTEST_MAIN(WindowStressTest)
#include "window_stress_test.moc"
