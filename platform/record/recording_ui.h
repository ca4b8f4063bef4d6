// A user interface that keeps what the engine showed, for tests and headless use.
#pragma once

#include <string>
#include <vector>

#include "platform/ui.h"

namespace qv {

struct ShownMessage {
  enum Kind { MessageBox, StatusLine, Beep } kind;
  std::string text;
  int category = 0;  // status-line category; 0 for the others
  bool operator==(const ShownMessage&) const = default;
};

class RecordingUserInterface final : public UserInterface {
 public:
  void messageBox(const std::string& text) override { shown.push_back({ShownMessage::MessageBox, text, 0}); }
  void statusLine(const std::string& text, int category) override {
    shown.push_back({ShownMessage::StatusLine, text, category});
  }
  void beep() override { shown.push_back({ShownMessage::Beep, {}, 0}); }
  void clear() { shown.clear(); }

  std::vector<ShownMessage> shown;
};

// Installs a recording interface for the lifetime of the object and restores the previous one.
class ScopedRecordingUserInterface {
 public:
  ScopedRecordingUserInterface() : previous_(&userInterface()) { installUserInterface(&ui); }
  ~ScopedRecordingUserInterface() { installUserInterface(previous_); }
  ScopedRecordingUserInterface(const ScopedRecordingUserInterface&) = delete;
  ScopedRecordingUserInterface& operator=(const ScopedRecordingUserInterface&) = delete;
  RecordingUserInterface ui;

 private:
  UserInterface* previous_;
};

}  // namespace qv
