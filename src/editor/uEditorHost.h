// What the editor bridge needs from the browser control that shows the editor page.
// The desktop application implements it with Qt WebEngine; tests use a scripted fake.
#pragma once

#include <functional>
#include <string>

class IEditorHost {
 public:
  virtual ~IEditorHost() = default;
  // Shows the page at a file:// URL.
  virtual void Navigate(const std::string& url) = 0;
  // Runs a script in the page without waiting for its result.
  virtual void ExecuteScript(const std::string& script) = 0;
  // Checks spelling with a dictionary ("en-US"); "" stops checking. A host without a
  // spell checker ignores it.
  virtual void SetSpellLanguage(const std::string& language) { (void)language; }
  // Marks every occurrence of text in the page and selects the next (or previous) one; an
  // empty text clears the marks. done gets the selected match (from 1) and how many there
  // are. A host that cannot search answers (0, 0).
  using TFindDone = std::function<void(int active, int total)>;
  virtual void FindText(const std::string& text, bool backward, bool matchCase, TFindDone done) {
    (void)text, (void)backward, (void)matchCase;
    if (done) done(0, 0);
  }
  // Called when the writer asks to add a word to the project's word list.
  void SetAddWordHandler(std::function<void(const std::string& word)> handler) { FOnAddWord = std::move(handler); }
  // Called when the writer asks for the properties of the picture in the page.
  void SetImagePropertiesHandler(std::function<void()> handler) { FOnImageProperties = std::move(handler); }
  // Called for every message the page posts, as its JSON text.
  void SetMessageHandler(std::function<void(const std::string& json)> handler) { FOnMessage = std::move(handler); }

 protected:
  void DeliverMessage(const std::string& json) {
    if (FOnMessage) FOnMessage(json);
  }
  void DeliverAddWord(const std::string& word) {
    if (FOnAddWord) FOnAddWord(word);
  }
  void DeliverImageProperties() {
    if (FOnImageProperties) FOnImageProperties();
  }

 private:
  std::function<void(const std::string& json)> FOnMessage;
  std::function<void(const std::string& word)> FOnAddWord;
  std::function<void()> FOnImageProperties;
};
