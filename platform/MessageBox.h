#pragma once
// Message boxes and the input box. Every box of the program goes through
// here, so tests install a ScriptedPrompter that answers without a person and
// records what was said.
#include <deque>
#include <string>
#include <vector>

namespace platform {

enum class Buttons { Ok, OkCancel, RetryCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Retry, Yes, No };

struct MessageRequest {
  std::string prompt;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  std::string title;  // empty: the application's title
  std::string detail;  // shown below the prompt (why a run failed); empty: none
};

struct InputRequest {
  std::string prompt;
  std::string title;
  std::string defaultText;
};

// Where boxes are shown. The Qt program installs the real one at start-up.
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual Answer Message(const MessageRequest& request) = 0;
  // The typed text, or an empty text when the user cancels.
  virtual std::string Input(const InputRequest& request) = 0;
};

// The prompter in use; without one installed every box answers its default
// (OK, Cancel where there is one) so that no call ever blocks.
void SetPrompter(Prompter* prompter);
Prompter* CurrentPrompter();

// The application's title, shown by boxes that give none of their own.
void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();

Answer MsgBox(const std::string& prompt, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const std::string& title = {}, const std::string& detail = {});
std::string InputBox(const std::string& prompt, const std::string& title = {},
                     const std::string& defaultText = {});

// For tests: answers from a queue and keeps every request. Once the queue
// runs out it answers the first button (Cancel where that would be Retry).
class ScriptedPrompter : public Prompter {
 public:
  ScriptedPrompter();
  ~ScriptedPrompter() override;  // uninstalls itself if still current
  ScriptedPrompter(const ScriptedPrompter&) = delete;
  ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

  Answer Message(const MessageRequest& request) override;
  std::string Input(const InputRequest& request) override;

  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  void QueueInput(const std::string& text) { inputs_.push_back(text); }

  const std::vector<MessageRequest>& messages() const { return messages_; }
  const std::vector<InputRequest>& inputs() const { return inputRequests_; }
  std::vector<std::string> prompts() const;  // the message texts in order
  void Clear() { messages_.clear(); inputRequests_.clear(); }

 private:
  Prompter* previous_;
  std::deque<Answer> answers_;
  std::deque<std::string> inputs_;
  std::vector<MessageRequest> messages_;
  std::vector<InputRequest> inputRequests_;
};

}  // namespace platform
