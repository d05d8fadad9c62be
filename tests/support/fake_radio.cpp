#include "tests/support/fake_radio.h"

namespace zorveth::testing {

void FakeRadio::SendPrompt(FakeSerialPort& port) const {
  if (prompt.empty()) return;
  const std::uint64_t delay = promptDelayMs.value_or(replyDelayMs);
  if (!promptRestDelayMs) return port.Send(prompt, delay);
  port.Send(prompt.substr(0, 1), delay);
  port.Send(prompt.substr(1), delay + *promptRestDelayMs);
}

// "ATC70FP262ID111BA4BR9600": each register's digits after its name.
void FakeRadio::TakeValues(const std::string& line) {
  auto after = [&](const std::string& name, const std::string& next) {
    const std::size_t start = line.find(name) + name.size();
    return line.substr(start, next.empty() ? std::string::npos : line.find(next, start) - start);
  };
  registers["C"] = after("ATC", "FP");
  registers["FP"] = after("FP", "ID");
  registers["ID"] = after("ID", "BA");
  registers["BA"] = after("BA", "BR");
  pendingSpeed = static_cast<std::uint32_t>(std::stoul(after("BR", "")));
}

void FakeRadio::Hear(FakeSerialPort& port, const std::string& bytes, std::uint32_t lineSpeed) {
  if (!powered || lineSpeed != speed) return;
  for (char c : bytes) {
    if (!inCommandMode) {
      pendingLine += c;
      if (pendingLine.size() > 3) pendingLine.erase(0, pendingLine.size() - 3);
      if (pendingLine == escape) {
        pendingLine.clear();
        if (escapesIgnored > 0) {
          --escapesIgnored;
          continue;
        }
        inCommandMode = true;
        ++promptsGiven;
        SendPrompt(port);
      }
      continue;
    }
    if (c != '\r') {
      pendingLine += c;
      continue;
    }
    std::string line = pendingLine;
    pendingLine.clear();
    linesHeard.push_back(line);
    if (line + "\r" == escape) {
      ++promptsGiven;
      SendPrompt(port);
      continue;
    }
    if (line == "ATE") {
      if (confirmsExit) port.Send("ATE\n\r", exitDelayMs.value_or(replyDelayMs));
      inCommandMode = false;
      if (pendingSpeed) speed = *pendingSpeed;
      pendingSpeed.reset();
      continue;
    }
    if (echo) port.Send(line + "\n\r", replyDelayMs);
    if (line.rfind("AT", 0) == 0 && registers.count(line.substr(2)) != 0) {
      if (answersQueries) port.Send(registers[line.substr(2)] + "\n\r", replyDelayMs);
    } else if (line.rfind("ATC", 0) == 0 && line.find("BR") != std::string::npos) {
      port.Send(writeReply, lineReplyDelayMs.value_or(replyDelayMs));
      if (appliesWrites && writeReply == "Write successful\n\r") TakeValues(line);
    } else {
      port.Send("Invalid command\n\r", replyDelayMs);
    }
  }
}

void ConnectRadios(FakeSerialPort& port, std::vector<FakeRadio*> radios) {
  port.SetResponder([radios](FakeSerialPort& p, const std::string& bytes, std::uint32_t speed) {
    for (FakeRadio* radio : radios) radio->Hear(p, bytes, speed);
  });
}

}  // namespace zorveth::testing
