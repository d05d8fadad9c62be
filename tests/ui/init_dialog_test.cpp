#include "link/initialize.h"
#include "tests/ui/dialog_test_fixture.h"

namespace zorveth::ui::testing {
namespace {

class InitDialogTest : public DialogTest {
 protected:
  // Opens "&Init Radios" in the main dialog; script runs in it.
  void RunInit(HeadlessToolkit::DialogScript script) {
    toolkit.OnDialog(kInitRadioDialogId, std::move(script));
    RunApp([](HeadlessDialog& main) { EXPECT_TRUE(main.Menu(kMenuInitRadios)); });
  }
  // The confirmation's panes: client first, as created.
  struct Panes {
    HeadlessDialog client;
    HeadlessDialog server;
  };
  Panes PanesOf(HeadlessDialog& confirmation) {
    std::vector<WindowHandle> children = confirmation.Children();
    EXPECT_EQ(children.size(), 2u);
    Panes panes{toolkit.Driver(children.at(0)), toolkit.Driver(children.at(1))};
    EXPECT_EQ(panes.client.TemplateId(), kClientWarningPaneId);
    EXPECT_EQ(panes.server.TemplateId(), kServerWarningPaneId);
    return panes;
  }
};

TEST_F(InitDialogTest, ClientIsSelectedAtEveryOpening) {
  for (int i = 0; i < 2; ++i) {
    toolkit.OnDialog(kInitRadioDialogId, [&](HeadlessDialog& init) {
      EXPECT_TRUE(init.Checked(kClientRoleButton));
      EXPECT_FALSE(init.Checked(kServerRoleButton));
      init.Click(kServerRoleButton);
    });
  }
  RunApp([](HeadlessDialog& main) {
    main.Menu(kMenuInitRadios);
    main.Menu(kMenuInitRadios);
  });
  EXPECT_EQ(toolkit.UnusedScripts(), 0);
}

TEST_F(InitDialogTest, ExactlyOneRoleIsSelected) {
  RunInit([&](HeadlessDialog& init) {
    EXPECT_EQ(init.Title(), "Radio Initialization Dialog");
    init.Click(kClientRoleButton);
    EXPECT_TRUE(init.Checked(kClientRoleButton));
    EXPECT_FALSE(init.Checked(kServerRoleButton));
    init.Click(kServerRoleButton);
    init.Click(kServerRoleButton);
    EXPECT_TRUE(init.Checked(kServerRoleButton));
    EXPECT_FALSE(init.Checked(kClientRoleButton));
  });
}

TEST_F(InitDialogTest, TheConfirmationShowsOnlyTheChosenRolesPaneOnTheFrame) {
  for (bool serverRole : {false, true}) {
    toolkit.OnDialog(kInitWarningDialogId, [&, serverRole](HeadlessDialog& confirmation) {
      EXPECT_EQ(confirmation.Title(), "Warning!!!");
      EXPECT_FALSE(confirmation.Visible(kPaneFrame));
      Panes panes = PanesOf(confirmation);
      EXPECT_EQ(toolkit.IsWindowVisible(panes.client.Handle()), !serverRole);
      EXPECT_EQ(toolkit.IsWindowVisible(panes.server.Handle()), serverRole);
      EXPECT_EQ(panes.client.Text(kClientWarningText),
                "Warning!!!\n\nYou are about to remove settings for client radio.\n\nTo Exit:   "
                "Press Cancel");
      EXPECT_EQ(panes.server.Text(kServerWarningText),
                "Warning!!!\n\nYou are about to remove settings for server radio.\n\nTo Exit:   "
                "Press Cancel");
      const Rect frame = toolkit.ControlRect(confirmation.Handle(), kPaneFrame);
      for (const HeadlessDialog* pane : {&panes.client, &panes.server}) {
        const Rect at = toolkit.Window(pane->Handle())->rect;
        EXPECT_EQ(at.left, frame.left);
        EXPECT_EQ(at.top, frame.top);
        EXPECT_EQ(at.width, frame.width);
        EXPECT_EQ(at.height, frame.height);
      }
    });
  }
  RunInit([&](HeadlessDialog& init) {
    init.Click(kInitializeButton);
    init.Click(kServerRoleButton);
    init.Click(kInitializeButton);
  });
  EXPECT_EQ(toolkit.UnusedScripts(), 0);
}

TEST_F(InitDialogTest, LeavingTheConfirmationAnyOtherWaySendsNothing) {
  for (int way = 0; way < 3; ++way) {
    toolkit.OnDialog(kInitWarningDialogId, [way](HeadlessDialog& confirmation) {
      const bool left = way == 0   ? confirmation.Click(kIdCancel)
                        : way == 1 ? confirmation.PressEscape()
                                   : confirmation.CloseBox();
      EXPECT_TRUE(left);
    });
  }
  RunInit([&](HeadlessDialog& init) {
    init.Click(kServerRoleButton);
    for (int way = 0; way < 3; ++way) init.Click(kInitializeButton);
    EXPECT_FALSE(init.Ended());
    EXPECT_TRUE(init.Checked(kServerRoleButton));
  });
  EXPECT_EQ(portsMade, 1);  // the main dialog's own, unused
  EXPECT_EQ(written, "");
  EXPECT_EQ(toolkit.WaitCursorShown(), 0);
  EXPECT_TRUE(toolkit.Messages().empty());
}

TEST_F(InitDialogTest, ContinueInitializesTheOneRadioThatIsOn) {
  server.powered = false;
  toolkit.OnDialog(kInitWarningDialogId, [](HeadlessDialog& confirmation) {
    EXPECT_TRUE(confirmation.Click(kContinueButton));
    EXPECT_TRUE(confirmation.Ended());
  });
  RunInit([&](HeadlessDialog& init) {
    toolkit.OnMessage([&](const headless::ShownMessage& message) {
      EXPECT_EQ(message.ownerTemplateId, kInitRadioDialogId);
      EXPECT_FALSE(init.Enabled(kInitializeButton));
    });
    init.Click(kInitializeButton);
    EXPECT_TRUE(init.Enabled(kInitializeButton));
    EXPECT_FALSE(init.Ended());
    EXPECT_TRUE(init.Checked(kClientRoleButton));
  });
  EXPECT_EQ(toolkit.Messages().size(), 1u);
  const std::string line =
      BuildInitializationLine(true, 67, AdvancedSettings{}, RadioRole::Client, 19200);
  EXPECT_NE(written.find(line), std::string::npos);
  EXPECT_EQ(openedPorts.front(), 3);
  EXPECT_EQ(toolkit.WaitCursorDepth(), 0);
}

}  // namespace
}  // namespace zorveth::ui::testing
