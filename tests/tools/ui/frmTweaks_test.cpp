// The tweaks window over a SATA desktop of files: the mouse over any part of a row shows that
// row's help, a save reaches the machine and is what a new window shows, refusals appear beside
// their rows, and Restore puts back what the window found.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "core/ui/MainMenu.h"
#include "support/tweak_machine.h"
#include "tools/ui/TweaksUi.h"
#include "tools/ui/frmTweaks.h"

namespace bw {

class FrmTweaksTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        files_ = std::make_unique<test::TweakFiles>();
        dir_ = std::make_unique<test::TempDir>();
        set_registry_store_path(dir_->path() / "Registry.dat");
    }
    void cleanup() {
        set_registry_store_path({});
        files_.reset();
        dir_.reset();
    }

    void everyPartOfEveryRowShowsItsHelpAndLeavingClearsIt() {
        frmTweaks w(kMixedBootSsd, files_->machine());
        for (std::size_t i = 0; i < kTweakRowCount; ++i) {
            for (QWidget* part :
                 {static_cast<QWidget*>(w.OptionT(int(i))), static_cast<QWidget*>(w.Recmd(int(i))),
                  static_cast<QWidget*>(w.State(int(i)))}) {
                hover(part);
                QCOMPARE(w.InfoBOX()->text(), QString::fromUtf8(kTweakRows[i].help.data(),
                                                                int(kTweakRows[i].help.size())));
                leave(part);
                QVERIFY(w.InfoBOX()->text().isEmpty());
            }
        }
        for (std::size_t i = 0; i < kTweakListCount; ++i) {
            hover(w.Combo(int(i)));
            QVERIFY(w.InfoBOX()->text().startsWith(
                QString::fromUtf8(kTweakLists[i].help.substr(0, 20).data(), 20)));
        }
        hover(w.OptionT(5));
        QVERIFY(
            w.InfoBOX()->text().startsWith("EnableBootTrace kept a log of what drivers and "
                                           "applications were loaded at start up."));
    }

    void captionsRecommendationsAndTheDriveMix() {
        frmTweaks w(kMixedBootSsd, files_->machine());
        QCOMPARE(w.windowTitle(), QString("Tweaks"));
        QCOMPARE(w.Label2()->text(), QString("SSD and Hard Drive MIX - Boot SSD"));
        QCOMPARE(w.OptionT(1)->text(), QString("Enable Large File Cahce"));
        QCOMPARE(w.OptionT(2)->text(), QString("Increase  NTFS Memory Usage"));
        QCOMPARE(w.Recmd(6)->text(), QString("Disable"));
        QCOMPARE(w.Recmd(7)->text(), QString("Checked"));
        QVERIFY(w.findChild<QLabel*>("Label5") != nullptr);
        QCOMPARE(w.Command1()->text(), QString("Save"));
        QCOMPARE(w.Command2()->text(), QString("Cancel"));
        QCOMPARE(w.Combo(0)->count(), 4);
        QCOMPARE(w.Combo(0)->currentText(), QString("Application Launch Prefetching Enabled"));
        QCOMPARE(w.Combo(1)->count(), 0);  // no superfetch value on this machine
        QCOMPARE(w.State(0)->text(), QString("no effect on Linux"));
    }

    void aSavedChangeIsWhatTheNextWindowShows() {
        {
            frmTweaks w(kMixedBootSsd, files_->machine());
            w.OptionT(2)->setChecked(true);   // store: NtfsMemoryUsage 2
            w.OptionT(1)->setChecked(true);   // dirty_ratio 40
            w.OptionT(6)->setChecked(false);  // indexer masked
            w.Combo(0)->setCurrentIndex(3);   // 512 KB
            QTest::mouseClick(w.Command1(), Qt::LeftButton);
            QVERIFY(!w.State(1)->text().contains("refused"));
        }
        frmTweaks again(kMixedBootSsd, files_->machine());
        QVERIFY(again.OptionT(2)->isChecked());
        QVERIFY(again.OptionT(1)->isChecked());
        QVERIFY(!again.OptionT(6)->isChecked());
        QCOMPARE(again.Combo(0)->currentIndex(), 3);
        QCOMPARE(files_->read_ahead_of("sda"), std::string("512\n"));
    }

    void aRefusalIsShownBesideItsRowAndRestorePutsBack() {
        files_->runner_.answer = EPERM;
        frmTweaks w(kMixedBootSsd, files_->machine());
        w.OptionT(4)->setChecked(true);
        w.Combo(0)->setCurrentIndex(0);
        QTest::mouseClick(w.Command1(), Qt::LeftButton);
        QVERIFY(w.State(4)->text().contains("needs root"));
        QVERIFY(w.State(4)->styleSheet().contains("#c00000"));
        QCOMPARE(files_->read_ahead_of("sda"), std::string("0\n"));
        QTest::mouseClick(w.Restore(), Qt::LeftButton);
        QCOMPARE(files_->read_ahead_of("sda"), std::string("128\n"));
        QCOMPARE(w.Combo(0)->currentIndex(), 1);
        QVERIFY(!w.OptionT(4)->isChecked());
    }

    void theTuningMenuHasItsAction() {
        UiRegistry ui;
        register_tweaks_ui(ui);
        QVERIFY(ui.action(kMnuTuning) != nullptr);
    }

  private:
    static void hover(QWidget* w) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(w, &enter);
    }
    static void leave(QWidget* w) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
    }

    inline static const std::vector<std::string> kMixedBootSsd = {"C: 240 GB SSD [PD 0] {OS}",
                                                                  "D: 2000 GB [PD 1]"};
    std::unique_ptr<test::TweakFiles> files_;
    std::unique_ptr<test::TempDir> dir_;
};

}  // namespace bw

QTEST_MAIN(bw::FrmTweaksTest)
#include "frmTweaks_test.moc"
