// The device settings window driven through its real widgets against the simulated altimeter;
// message boxes go to the recording double.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "device/DeviceChannel.h"
#include "files/SettingsFile.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/SimProcess.h"
#include "ui/Fustawienia.h"

namespace hypsor {
namespace {

using test::FakeMessageBox;
using test::SimProcess;

QByteArray Frame(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

// One window as the program builds it, with its own channel, settings and language.
struct Fixture {
  explicit Fixture(const QString& port, int language = 1) : languageIndex(language) {
    settings = DefaultSettings();
    SetPortName(settings, port);
    settings.PortIndex = -1;
    window = std::make_unique<TFormUstawienia>(channel, settings, languageIndex, boxes, [this] {
      ++saves;
      return true;
    });
  }
  void Show() {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void Retype(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
  }
  void ChoosePort(const QString& name) {
    QLineEdit* edit = window->CB_Numer_Portu->lineEdit();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  QStringList BoxTexts() const {
    QStringList t;
    for (const auto& b : boxes.boxes) t << b.text;
    return t;
  }

  DeviceChannel channel;
  SettingsRecord settings;
  int languageIndex;
  FakeMessageBox boxes;
  int saves = 0;
  std::unique_ptr<TFormUstawienia> window;
};

#define START_SIM(sim, ...)                 \
  SimProcess sim(QStringList{__VA_ARGS__}); \
  ASSERT_TRUE(sim.Started()) << sim.Error().toStdString()

TEST(DeviceWindow, OpensWithTheDevicesSettingsAndItsLayout) {
  START_SIM(sim, "--no-pacing", "--competitor", "12", "--serial", "4321", "--temp-calibration",
            "30", "--trigger", "150", "--sampling", "19", "--manual-zero", "1");
  Fixture f(sim.PortName());
  TFormUstawienia& w = *f.window;
  ASSERT_TRUE(w.ReadBeforeShow());
  f.Show();
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(w.E_NrZaw->text(), QStringLiteral("12"));
  EXPECT_EQ(w.E_NrSer->text(), QStringLiteral("4321"));
  EXPECT_TRUE(w.E_NrSer->isReadOnly());
  EXPECT_EQ(w.E_Kal_Temp->text(), QStringLiteral("30"));
  EXPECT_EQ(w.E_Poziom->text(), QStringLiteral("150"));
  EXPECT_EQ(w.ComboBox_ImPomiarow->currentText(), QStringLiteral("10 pom/sek"));
  EXPECT_EQ(w.ComboB_Zer->currentText(), QStringLiteral("Yes"));
  EXPECT_EQ(w.CB_Numer_Portu->currentText(), sim.PortName());
  // The port stays open while the window is shown.
  EXPECT_TRUE(f.channel.IsOpen());

  EXPECT_EQ(w.windowTitle(), QStringLiteral("Setup"));
  EXPECT_EQ(w.L_Numer_Portu->text(), QStringLiteral("Select Port"));
  EXPECT_EQ(w.L_PoziomWyzwalania->text(), QStringLiteral("Setup Heigh Trigger"));
  EXPECT_EQ(w.L_Kalibracja_Temp->text(), QStringLiteral("Calibration of the Temp."));
  EXPECT_EQ(w.L_Ust_Probk->text(), QStringLiteral("Sampling"));
  EXPECT_EQ(w.LZerReczne->text(), QStringLiteral("Manual reset"));
  EXPECT_EQ(w.L_Numer_Zawodnika->text(), QStringLiteral("Comp. No."));
  EXPECT_EQ(w.L_NrSer->text(), QStringLiteral("Serial No."));
  EXPECT_EQ(w.B_wyslij->text(), QStringLiteral("Save"));
  EXPECT_EQ(w.ComboB_Zer->itemText(0), QStringLiteral("No"));
  ASSERT_EQ(w.ComboBox_ImPomiarow->count(), 8);
  EXPECT_EQ(w.ComboBox_ImPomiarow->itemText(4), QStringLiteral("  5 pom/sek"));
  EXPECT_EQ(w.ComboBox_ImPomiarow->itemText(7), QStringLiteral("  5 sek/pom"));
  EXPECT_EQ(w.CB_Numer_Portu->itemText(0), QStringLiteral("COM1"));
  EXPECT_EQ(w.CB_Numer_Portu->itemText(24), QStringLiteral("COM25"));

  EXPECT_EQ(w.size(), QSize(179, 483));
  EXPECT_EQ(w.B_wyslij->geometry(), QRect(40, 408, 89, 33));
  const QWidget* column[] = {w.CB_Numer_Portu, w.E_Poziom, w.E_Kal_Temp, w.ComboBox_ImPomiarow,
                             w.ComboB_Zer,     w.E_NrZaw,  w.E_NrSer};
  const QLabel* labels[] = {w.L_Numer_Portu, w.L_PoziomWyzwalania, w.L_Kalibracja_Temp,
                            w.L_Ust_Probk,   w.LZerReczne,         w.L_Numer_Zawodnika,
                            w.L_NrSer};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(labels[i]->pos(), QPoint(40, 16 + 56 * i)) << i;
    EXPECT_EQ(column[i]->pos(), QPoint(40, 32 + 56 * i)) << i;
    EXPECT_EQ(column[i]->width(), 81) << i;
  }

  // Captions follow the language at each showing.
  w.close();
  EXPECT_FALSE(f.channel.IsOpen());
  f.languageIndex = 0;
  f.Show();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Ustawienia"));
  EXPECT_EQ(w.L_Numer_Portu->text(), QStringLiteral("Wybierz Port"));
  EXPECT_EQ(w.LZerReczne->text(), QStringLiteral("Zerowanie ręczne"));
  EXPECT_EQ(w.ComboB_Zer->currentText(), QStringLiteral("Tak"));
  EXPECT_EQ(w.B_wyslij->text(), QStringLiteral("Zapisz"));
}

TEST(DeviceWindow, WithoutADeviceTheFieldsAreBlankAndTwoBoxesSaySo) {
  Fixture f(QStringLiteral("ttyQQ9"));
  TFormUstawienia& w = *f.window;
  w.E_NrSer->setText(QStringLiteral("777"));
  EXPECT_FALSE(w.ReadBeforeShow());
  f.Show();
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Communication Error: ttyQQ9"));
  EXPECT_EQ(f.boxes.boxes[1].text, QStringLiteral("Communication Error"));
  for (const auto& b : f.boxes.boxes) {
    EXPECT_EQ(b.caption, QStringLiteral("Hypsor - error"));
    EXPECT_EQ(b.buttons, BoxButtons::Ok);
  }
  EXPECT_TRUE(w.E_NrZaw->text().isEmpty());
  EXPECT_TRUE(w.E_Poziom->text().isEmpty());
  EXPECT_TRUE(w.E_Kal_Temp->text().isEmpty());
  EXPECT_EQ(w.E_NrSer->text(), QStringLiteral("777"));
  EXPECT_EQ(w.ComboBox_ImPomiarow->currentText(), QStringLiteral("15 pom/sek"));
  EXPECT_EQ(w.ComboB_Zer->currentIndex(), 0);

  // Saving then stops at the empty fields, and with them filled, silently at the missing port.
  f.boxes.boxes.clear();
  QTest::mouseClick(w.B_wyslij, Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Field can not be empty"));
  w.E_Poziom->setText(QStringLiteral("1"));
  w.E_Kal_Temp->setText(QStringLiteral("1"));
  w.E_NrZaw->setText(QStringLiteral("1"));
  f.boxes.boxes.clear();
  QTest::mouseClick(w.B_wyslij, Qt::LeftButton);
  EXPECT_TRUE(f.boxes.boxes.isEmpty());
  EXPECT_TRUE(w.isVisible());
}

TEST(DeviceWindow, TypingChecksAndTheUploadLimits) {
  START_SIM(sim, "--no-pacing");
  Fixture f(sim.PortName());
  TFormUstawienia& w = *f.window;
  ASSERT_TRUE(w.ReadBeforeShow());
  f.Show();
  const int readFrames = static_cast<int>(sim.ReceivedFrames().size());

  // "2" and "25" pass, "250" is above 200.
  f.Retype(w.E_Poziom, QStringLiteral("250"));
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Too large value"));
  EXPECT_EQ(f.boxes.boxes[0].caption, QStringLiteral("Hypsor - error"));
  f.Retype(w.E_NrZaw, QStringLiteral("256"));
  EXPECT_EQ(f.boxes.boxes.size(), 2);
  // Calibration warns only above 70 while typing, but the upload takes at most 50.
  f.boxes.boxes.clear();
  f.Retype(w.E_Poziom, QStringLiteral("200"));
  f.Retype(w.E_NrZaw, QStringLiteral("255"));
  f.Retype(w.E_Kal_Temp, QStringLiteral("60"));
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  f.Retype(w.E_Kal_Temp, QStringLiteral("71"));
  EXPECT_EQ(f.boxes.boxes.size(), 1);
  f.Retype(w.E_Kal_Temp, QStringLiteral("51"));
  f.boxes.boxes.clear();
  QTest::mouseClick(w.B_wyslij, Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Too large value"));
  EXPECT_EQ(sim.ReceivedFrames().size(), readFrames);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(f.channel.IsOpen());

  // Leaving a field while another is empty.
  f.boxes.boxes.clear();
  w.E_NrZaw->clear();
  w.E_Poziom->setFocus();
  QTest::keyClick(w.E_Poziom, Qt::Key_Tab);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Field can not be empty"));
}

TEST(DeviceWindow, SaveUploadsClosesAndTheFramesCarryTheValues) {
  START_SIM(sim, "--no-pacing");
  Fixture f(sim.PortName());
  TFormUstawienia& w = *f.window;
  ASSERT_TRUE(w.ReadBeforeShow());
  f.Show();
  f.Retype(w.E_Kal_Temp, QStringLiteral("20"));
  f.Retype(w.E_Poziom, QStringLiteral("50"));
  f.Retype(w.E_NrZaw, QStringLiteral("7"));
  w.ComboBox_ImPomiarow->setCurrentIndex(4);
  w.ComboB_Zer->setCurrentIndex(1);
  // A second exchange asked for while this one runs does nothing.
  int tries = 0;
  QTimer::singleShot(100, &w, [&] {
    ++tries;
    EXPECT_TRUE(w.ExchangeRunning());
    w.BWyslijPClick();
    w.CB_Numer_PortuChange();
  });
  QTest::mouseClick(w.B_wyslij, Qt::LeftButton);
  EXPECT_EQ(tries, 1);
  ASSERT_EQ(f.boxes.boxes.size(), 1) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Setup OK"));
  EXPECT_EQ(f.boxes.boxes[0].caption, QStringLiteral("Setup"));
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.channel.IsOpen());
  EXPECT_EQ(w.result(), QDialog::Accepted);
  const QList<QByteArray> frames = sim.ReceivedFrames();
  ASSERT_EQ(frames.size(), 4);
  EXPECT_EQ(frames[2], Frame({0x65, 0x35, 7, 20, 0, 50, 0, 4}));
  EXPECT_EQ(frames[3], Frame({0x65, 0x43, 1, 20, 0, 50, 0, 4}));
}

TEST(DeviceWindow, RefusedUploadReportsAndClosesAllTheSame) {
  START_SIM(sim, "--no-pacing", "--fault", "refuse-writes");
  Fixture f(sim.PortName());
  TFormUstawienia& w = *f.window;
  ASSERT_TRUE(w.ReadBeforeShow());
  f.Show();
  f.Retype(w.E_Kal_Temp, QStringLiteral("10"));
  QTest::mouseClick(w.B_wyslij, Qt::LeftButton);
  // Once for the settings write, once for the zeroing-mode write.
  ASSERT_EQ(f.boxes.boxes.size(), 2);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Setup failed"));
  EXPECT_EQ(f.boxes.boxes[1].text, QStringLiteral("Setup failed"));
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(f.channel.IsOpen());
}

TEST(DeviceWindow, PortChangesAreStoredAndReadAtOnce) {
  START_SIM(sim, "--no-pacing", "--competitor", "33");
  Fixture f(QStringLiteral("ttyQQ9"));
  TFormUstawienia& w = *f.window;
  w.ReadBeforeShow();
  f.Show();
  f.boxes.boxes.clear();

  // A name that does not fit the settings is refused and nothing changes.
  f.ChoosePort(QStringLiteral("ttyUSB10"));
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("A port name can have at most 7 characters."));
  EXPECT_EQ(PortNameText(f.settings), QStringLiteral("ttyQQ9"));
  EXPECT_EQ(f.saves, 0);
  EXPECT_EQ(w.CB_Numer_Portu->currentText(), QStringLiteral("ttyQQ9"));

  // A list name: stored with its position, saved, and reported twice when it cannot be opened.
  f.boxes.boxes.clear();
  f.ChoosePort(QStringLiteral("COM12"));
  EXPECT_EQ(PortNameText(f.settings), QStringLiteral("COM12"));
  EXPECT_EQ(f.settings.PortIndex, 11);
  EXPECT_EQ(f.saves, 1);
  ASSERT_FALSE(f.boxes.boxes.isEmpty());
  EXPECT_TRUE(f.boxes.boxes[0].text.startsWith(QStringLiteral("Communication Error")));

  // Down the list by keyboard: the next COM port.
  f.boxes.boxes.clear();
  w.CB_Numer_Portu->setFocus();
  QTest::keyClick(w.CB_Numer_Portu, Qt::Key_Down);
  EXPECT_EQ(PortNameText(f.settings), QStringLiteral("COM13"));
  EXPECT_EQ(f.settings.PortIndex, 12);
  EXPECT_EQ(f.saves, 2);

  // The simulator's pseudo-terminal: opened and read, fields filled, no box.
  f.boxes.boxes.clear();
  f.ChoosePort(sim.PortName());
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(PortNameText(f.settings), sim.PortName());
  EXPECT_EQ(f.settings.PortIndex, -1);
  EXPECT_EQ(f.saves, 3);
  EXPECT_TRUE(f.channel.IsOpen());
  EXPECT_EQ(w.E_NrZaw->text(), QStringLiteral("33"));

  // Closing the window while a port change reads the device: it closes when the read is done.
  f.ChoosePort(QStringLiteral("ttyQQ8"));
  f.boxes.boxes.clear();
  w.E_NrZaw->clear();
  bool closeAsked = false;
  QTimer::singleShot(100, &w, [&] {
    closeAsked = true;
    w.close();
  });
  f.ChoosePort(sim.PortName());
  EXPECT_TRUE(closeAsked);
  EXPECT_TRUE(f.boxes.boxes.isEmpty()) << f.BoxTexts().join('|').toStdString();
  EXPECT_EQ(w.E_NrZaw->text(), QStringLiteral("33"));
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
  EXPECT_FALSE(f.channel.IsOpen());
}

TEST(DeviceWindow, DeviceGoneWhileTheWindowIsOpen) {
  auto sim = std::make_unique<SimProcess>(QStringList{"--no-pacing"});
  ASSERT_TRUE(sim->Started());
  Fixture f(sim->PortName());
  TFormUstawienia& w = *f.window;
  ASSERT_TRUE(w.ReadBeforeShow());
  f.Show();
  sim->Kill();
  QTest::mouseClick(w.B_wyslij, Qt::LeftButton);
  ASSERT_EQ(f.boxes.boxes.size(), 1);
  EXPECT_EQ(f.boxes.boxes[0].text, QStringLiteral("Communication Error"));
  EXPECT_FALSE(f.channel.IsOpen());
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace hypsor
