// A picture of each say dialog with Japanese texts, written into the test output folder for a
// person to look at (layout is where regressions hide). The test also checks chosen pixels:
// the icon drawn, each button drawn across its middle, and a corner left as background.
#include <gtest/gtest.h>

#include <cstdio>

#include "SayDialogTestSupport.h"

namespace say_dialog_test {
namespace {

struct Snapshot {
  std::string path;
  bool written = false;
  int iconInk = 0;             // pixels of the icon item that are not the background
  std::vector<int> buttonInk;  // per button: inked pixels along its middle row
  bool cornerIsBackground = false;
};

// An answer that draws the dialog into a PNG file, reads the chosen pixels, then clicks.
Answer SnapshotThenClick(Snapshot* out, const std::string& name, DialogItemIndex iconItem,
                         int buttons, DialogItemIndex click) {
  return Answer()
      .Do(
          [=](WindowRef window) {
            DialogRef dialog = GetDialogFromWindow(window);
            CGrafPtr port = GetDialogPort(dialog);
            out->path = ::testing::TempDir() + name;
            out->written = sp_testing::SnapshotDialog(dialog, out->path);
            std::printf("Say dialog snapshot: %s\n", out->path.c_str());
            const UInt32 background = sp_testing::ReadPixel(port, 1, 1);
            Rect box = {0, 0, 0, 0};
            GetDialogItem(dialog, iconItem, nullptr, nullptr, &box);
            for (SInt16 v = box.top; v < box.bottom; ++v) {
              for (SInt16 h = box.left; h < box.right; ++h) {
                out->iconInk += sp_testing::ReadPixel(port, h, v) != background;
              }
            }
            for (DialogItemIndex item = 1; item <= buttons; ++item) {
              GetDialogItem(dialog, item, nullptr, nullptr, &box);
              const SInt16 middle = SInt16((box.top + box.bottom) / 2);
              int ink = 0;
              for (SInt16 h = box.left; h < box.right; ++h) {
                ink += sp_testing::ReadPixel(port, h, middle) != background;
              }
              out->buttonInk.push_back(ink);
            }
            Rect content = {0, 0, 0, 0};
            GetWindowBounds(window, kWindowContentRgn, &content);
            out->cornerIsBackground =
                sp_testing::ReadPixel(port, SInt16(content.right - content.left - 2),
                                      SInt16(content.bottom - content.top - 2)) == background;
          },
          "snapshot")
      .ClickItem(click);
}

TEST_F(SayDialogFixture, EverySayDialogWithJapaneseTextForAPersonToLookAt) {
  Snapshot one, two, three, alert, sheet1, sheet2, sheet3;

  Respond(SnapshotThenClick(&one, "say-dialog-6130-one-button.png", 2, 1, 1));
  Text message(
      MJ("ファイル「夏の終わり.aiff」を保存できませんでした。ディスクの空き容量を確かめて"
         "から、もう一度お試しください。"));
  Sp_SayDialogByModal(message.get(), 0);

  Respond(SnapshotThenClick(&two, "say-dialog-6132-two-buttons.png", 3, 2, 2));
  Text replace(MJ("置き換える")), cancel(MJ("キャンセル")),
      question(MJ("同じ名前の項目がすでにあります。置き換えますか？"));
  SpStdSayDlgTwoButton(replace.get(), cancel.get(), question.get(), kSpStdSayDlgStop, 0, 0, 0);

  Respond(SnapshotThenClick(&three, "say-dialog-6141-three-buttons.png", 4, 3, 3));
  Text save(MJ("保存")), dontSave(MJ("保存しない")), first(MJ("変更を保存しますか？")),
      second(MJ("保存しないと、変更内容は失われます。"));
  SpStdSayDlgThreeButton(save.get(), cancel.get(), dontSave.get(), first.get(), second.get(),
                         kSpStdSayDlgNote, 0, 0, 0);

  Respond(SnapshotThenClick(&alert, "say-alert-caution.png", 7, 1, 1));
  Text alertMessage(MJ("CD を読み込めません。")),
      alertExplanation(MJ("ディスクの汚れを拭き取ってから、もう一度入れてください。"));
  Sp_SayAlertByModal(kSpStdSayDlgCaution, alertMessage.get(), alertExplanation.get(), nullptr,
                     nullptr, nullptr);

  WindowRef parent = NewParent();
  Respond(SnapshotThenClick(&sheet1, "say-sheet-one-button.png", 7, 1, 1));
  Text report(MJ("報　告")), errorText(MJ("[Error No = -34] : ディスクがいっぱいです。")),
      close(MJ("閉じる"));
  Sp_SayDialogByModalBySheetAlert(parent, kSpStdSayDlgNote, report.get(), errorText.get(),
                                  close.get());

  Respond(SnapshotThenClick(&sheet2, "say-sheet-two-buttons.png", 7, 2, 2));
  SpStdSayDlgTwoButtonBySheetAlert(parent, kSpStdSayDlgStop, question.get(), errorText.get(),
                                   replace.get(), cancel.get());

  Respond(SnapshotThenClick(&sheet3, "say-sheet-three-buttons.png", 7, 3, 3));
  SpStdSayDlgThreeButtonBySheetAlert(parent, kSpStdSayDlgCaution, first.get(), second.get(),
                                     save.get(), cancel.get(), dontSave.get());

  for (const Snapshot* s : {&one, &two, &three, &alert, &sheet1, &sheet2, &sheet3}) {
    SCOPED_TRACE(s->path);
    EXPECT_TRUE(s->written);
    // The stop, note and caution icons are the framework's own resources.
    EXPECT_GT(s->iconInk, 100);
    for (int ink : s->buttonInk) EXPECT_GT(ink, 4) << "frame and title drawn";
    EXPECT_TRUE(s->cornerIsBackground) << "nothing drawn past the layout";
  }
}

}  // namespace
}  // namespace say_dialog_test
