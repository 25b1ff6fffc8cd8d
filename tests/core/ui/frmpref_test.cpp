// The preferences window offscreen: what it loads from the preferences file, what Save writes,
// and the one preference the main window applies at once.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/ProgramUi.h"
#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/ui/FrmMain.h"
#include "core/ui/frmPref.h"
#include "support/fakes.h"

using namespace bw;

namespace {

// The four boxes with their keys, in the window's order.
const std::pair<const char*, const char*> kBoxes[] = {{"Check1", "Adjust Test Time"},
                                                      {"Check2", "Always Ignore"},
                                                      {"Check3", "Download Results"},
                                                      {"Check4", "Check Update"}};

bool checked(QWidget& w, const char* name) { return w.findChild<QCheckBox*>(name)->isChecked(); }

}  // namespace

class FrmPrefTest : public QObject {
    Q_OBJECT

    std::filesystem::path prefs() const { return dir_->path() / "DariDozodaz.dat"; }
    QString stored(const char* key) {
        return QString::fromStdString(ReadINI(prefs(), "Settings", key));
    }

private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        app().program_folder = dir_->path();
    }
    void cleanup() {
        app() = AppState{};
        dir_.reset();
    }

    // The ten times in order, "30" when none is stored, and each box from its own key only.
    void load() {
        {
            frmPref w(prefs());
            auto* combo = w.findChild<QComboBox*>("Combo1");
            QStringList items;
            for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
            QCOMPARE(items.join(","), QString("15,20,25,30,35,40,45,50,55,60"));
            QCOMPARE(combo->currentText(), QString("30"));
            QCOMPARE(w.windowTitle(), QString("Preferences"));
            for (const auto& [box, key] : kBoxes) QVERIFY2(!checked(w, box), box);
        }
        WriteINI(prefs(), "Settings", "Test Time", "45");
        for (const auto& [box, key] : kBoxes) {
            for (const auto& [other, other_key] : kBoxes)
                WriteINI(prefs(), "Settings", other_key, other == box ? "1" : "0");
            frmPref w(prefs());
            QCOMPARE(w.findChild<QComboBox*>("Combo1")->currentText(), QString("45"));
            for (const auto& [b, k] : kBoxes) QVERIFY2(checked(w, b) == (b == box), b);
        }
        // Text that is not a number leaves a box unchecked; a leading number counts.
        WriteINI(prefs(), "Settings", "Check Update", "yes");
        WriteINI(prefs(), "Settings", "Adjust Test Time", "2x");
        frmPref w(prefs());
        QVERIFY(!checked(w, "Check4"));
        QVERIFY(checked(w, "Check1"));
    }

    // Save writes the time as shown and each box, then closes the window.
    void save() {
        for (const auto& [box, key] : kBoxes) {
            frmPref w(prefs());
            w.show();
            w.findChild<QComboBox*>("Combo1")->setCurrentIndex(9);
            for (const auto& [b, k] : kBoxes) w.findChild<QCheckBox*>(b)->setChecked(b == box);
            QTest::mouseClick(w.findChild<QPushButton*>("Command1"), Qt::LeftButton);
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QVERIFY(!w.isVisible());
            QCOMPARE(stored("Test Time"), QString("60"));
            for (const auto& [b, k] : kBoxes)
                QVERIFY2(stored(k) == (b == box ? "1" : "0"), k);
        }
        // Closing without Save changes nothing.
        frmPref w(prefs());
        w.findChild<QComboBox*>("Combo1")->setCurrentText("15");
        w.reject();
        QCOMPARE(stored("Test Time"), QString("60"));
    }

    // "Preferences" from the main window: Always Ignore checks and locks "Ignore Usage" as soon as
    // the window is saved, and unchecking it frees the box again.
    void always_ignore_applied_at_once() {
        UiRegistry ui;
        register_program_ui(ui);
        StartSteps steps;
        MainWindowState state;
        FrmMain main(steps, ui, state);
        auto* ignore = main.findChild<QCheckBox*>("IgnoreME");
        QVERIFY(ignore->isEnabled() && !ignore->isChecked());
        for (bool always : {true, false}) {
            QTimer::singleShot(0, [always] {
                auto* pref = qobject_cast<frmPref*>(QApplication::activeModalWidget());
                if (!pref) qFatal("the preferences window is not shown");
                pref->findChild<QCheckBox*>("Check2")->setChecked(always);
                pref->findChild<QPushButton*>("Command1")->click();
            });
            main.findChild<QAction*>("mnupref")->trigger();
            QCOMPARE(ignore->isChecked(), always);
            QCOMPARE(ignore->isEnabled(), !always);
            QCOMPARE(stored("Always Ignore"), QString(always ? "1" : "0"));
        }
    }

private:
    std::unique_ptr<test::TempDir> dir_;
};

QTEST_MAIN(FrmPrefTest)
#include "frmpref_test.moc"
