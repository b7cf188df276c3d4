#include "platform/MessageBox.h"

namespace platform {
namespace {

Prompter*& InstalledPrompter() {
  static Prompter* prompter = nullptr;
  return prompter;
}

std::string& TitleStore() {
  static std::string title = "VELK";
  return title;
}

Answer DefaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel: return Answer::Cancel;
  }
  return Answer::Ok;
}

// What a scripted box answers once its queue is empty: the first button, but
// never Retry, which would send a failing command round forever.
Answer UnscriptedAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel: return Answer::Ok;
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::Yes;
  }
  return Answer::Ok;
}

}  // namespace

void SetPrompter(Prompter* prompter) { InstalledPrompter() = prompter; }
Prompter* CurrentPrompter() { return InstalledPrompter(); }

void SetApplicationTitle(const std::string& title) { TitleStore() = title; }
const std::string& ApplicationTitle() { return TitleStore(); }

Answer MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title,
              const std::string& detail) {
  MessageRequest request{prompt, buttons, icon, title.empty() ? ApplicationTitle() : title, detail};
  if (Prompter* p = CurrentPrompter()) return p->Message(request);
  return DefaultAnswer(buttons);
}

std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) {
  InputRequest request{prompt, title.empty() ? ApplicationTitle() : title, defaultText};
  if (Prompter* p = CurrentPrompter()) return p->Input(request);
  return {};
}

ScriptedPrompter::ScriptedPrompter() : previous_(CurrentPrompter()) { SetPrompter(this); }

ScriptedPrompter::~ScriptedPrompter() {
  if (CurrentPrompter() == this) SetPrompter(previous_);
}

Answer ScriptedPrompter::Message(const MessageRequest& request) {
  messages_.push_back(request);
  if (answers_.empty()) return UnscriptedAnswer(request.buttons);
  Answer a = answers_.front();
  answers_.pop_front();
  return a;
}

std::string ScriptedPrompter::Input(const InputRequest& request) {
  inputRequests_.push_back(request);
  if (inputs_.empty()) return {};
  std::string s = inputs_.front();
  inputs_.pop_front();
  return s;
}

std::vector<std::string> ScriptedPrompter::prompts() const {
  std::vector<std::string> out;
  out.reserve(messages_.size());
  for (const auto& m : messages_) out.push_back(m.prompt);
  return out;
}

}  // namespace platform
