// Configure and Initialize through the real serial port on a pty served by
// the simulator: what each radio heard, and what it applied.
#include "link/configure.h"
#include "link/initialize.h"
#include "port/serial_port.h"
#include "tests/integration/simulated_link.h"
#include "tests/support/recording_feedback.h"

namespace zorveth::testing {
namespace {

class WriteOnPty : public SimulatedLink {
 protected:
  void Configure() {
    CSerialPort port;
    RadioConfigurator(port, SystemClock(), feedback).ConfigureRadios(choices, settings);
  }
  void Initialize(RadioRole role) {
    CSerialPort port;
    InitializeRadio(role, choices, settings, port, SystemClock(), feedback);
  }
  // The bytes the tool sent to one radio while it listened.
  std::string Heard(int slot) const { return server->HeardBy(slot); }

  LinkChoices choices{"Vorlith Radio Control", "67", "19200", "COM12"};
  AdvancedSettings settings;
  RecordingFeedback feedback;
};

TEST_F(WriteOnPty, StartUpValuesReachClientThenServer) {
  Serve();
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
  EXPECT_EQ(ToolBytes(19200),
            "+C\rATC67FP262ID111BA4BR19200\rATE\r+S\rATC67FP262ID111BA4BR19200\rATE\r");
  EXPECT_FALSE(server->InCommandMode(sim::kClientSlot));
  EXPECT_FALSE(server->InCommandMode(sim::kServerSlot));
}

TEST_F(WriteOnPty, ClientAt4800IsConfiguredAfterThreeSilentSpeeds) {
  pair.server.speed = pair.client.speed = 4800;
  Serve();
  choices.channel = "70";
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
  for (std::uint32_t speed : {38400u, 19200u, 9600u}) EXPECT_EQ(ToolBytes(speed), "+C\r");
  EXPECT_EQ(ToolBytes(4800).substr(0, 3), "+C\r");
  EXPECT_NE(ToolBytes(4800).find("+S\r"), std::string::npos);
  // Both switch to the new speed once they have left command mode.
  EXPECT_EQ(server->Radio(sim::kServerSlot).channel, 70);
  EXPECT_EQ(server->Radio(sim::kClientSlot).speed, 19200u);
}

TEST_F(WriteOnPty, PairAt2400CannotBeConfigured) {
  pair.server.speed = pair.client.speed = 2400;
  Serve();
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Unable to Connect to Radios"});
  EXPECT_EQ(ToolBytes(), "+C\r+C\r+C\r+C\r");
}

TEST_F(WriteOnPty, InvalidClientReplyKeepsTheServerOutOfIt) {
  pair.client.faults.writeReply = "Invalid command\n\r";
  Serve();
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Invalid Data"});
  EXPECT_EQ(ToolBytes().find("+S"), std::string::npos);
  EXPECT_EQ(server->Radio(sim::kServerSlot).channel, 67);
}

TEST_F(WriteOnPty, SilentServerLeavesTheClientWithTheNewSettings) {
  pair.server.powered = false;
  Serve();
  choices.channel = "72";
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"No Server Communication"});
  EXPECT_EQ(server->Radio(sim::kClientSlot).channel, 72);
}

TEST_F(WriteOnPty, LongestLineArrivesWhole) {
  Serve();
  choices = {"Vorlith Radio Control", "74", "38400", "COM12"};
  settings = {2047, 255, 65535};
  Configure();
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Configuration is Set"});
  EXPECT_NE(Heard(sim::kServerSlot).find("+S\rATC74FP2047ID65535BA255BR38400\r"),
            std::string::npos);
  EXPECT_EQ(server->Radio(sim::kServerSlot).packetLength, 2047);
  EXPECT_EQ(server->Radio(sim::kServerSlot).speed, 38400u);
}

TEST_F(WriteOnPty, VorlithClientInitialization) {
  pair.server.powered = false;
  Serve();
  Initialize(RadioRole::Client);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Client Initialized"});
  EXPECT_EQ(Heard(sim::kClientSlot), "+C\rATC67FP262M2ID111BA4DA1TD1RF3IT0BR19200\rATE\r");
}

TEST_F(WriteOnPty, OtherTechnologyServerInitializationUsesTheShortLine) {
  pair.client.powered = false;
  Serve();
  choices.technology = "Other";
  choices.channel = "25";
  Initialize(RadioRole::Server);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Server Initialized"});
  EXPECT_EQ(Heard(sim::kServerSlot), "+C\r+S\rATC25FP262M1ID111BA4DA1TD1BR19200\rATE\r");
}

TEST_F(WriteOnPty, RadioAnsweringOnlyAsServerBecomesTheChosenClient) {
  pair.client.powered = false;
  Serve();
  Initialize(RadioRole::Client);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Client Initialized"});
  EXPECT_NE(Heard(sim::kServerSlot).find("+S\rATC67FP262M2ID111"), std::string::npos);
  EXPECT_EQ(server->Radio(sim::kServerSlot).role, sim::Role::Client);
}

TEST_F(WriteOnPty, RadioAt2400CannotBeInitialized) {
  pair.server.speed = 2400;
  pair.client.powered = false;
  Serve();
  Initialize(RadioRole::Server);
  EXPECT_EQ(feedback.messages, std::vector<std::string>{"Could not Connect"});
  EXPECT_EQ(ToolBytes(), "+C\r+S\r+C\r+S\r+C\r+S\r+C\r+S\rATE\r");
}

}  // namespace
}  // namespace zorveth::testing
