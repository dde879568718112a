#pragma once
// Scripted stand-ins for the dialogs, so whole games run without anyone at
// the keyboard.
#include <QStringList>
#include <deque>

#include "platform/filedialogs.h"

namespace pz::test {

// The next scripted answer, or none once they run out.
template <class T>
T Take(std::deque<T>& answers, T none = T()) {
    if (answers.empty()) return none;
    T a = answers.front();
    answers.pop_front();
    return a;
}

class ScriptedFileDialogs : public FileDialogs {
public:
    // Each call takes the next answer; an empty string means Cancel.
    std::deque<QString> answers;
    QStringList filters, startDirs;

    std::optional<QString> OpenFile(QWidget*, const QString& filter, const QString& startDir) override {
        return Next(filter, startDir);
    }
    std::optional<QString> SaveFile(QWidget*, const QString& filter, const QString& startDir) override {
        return Next(filter, startDir);
    }

private:
    std::optional<QString> Next(const QString& filter, const QString& startDir) {
        filters << filter;
        startDirs << startDir;
        const QString a = Take(answers);
        return a.isEmpty() ? std::nullopt : std::optional<QString>(a);
    }
};

class RecordingPrompts : public Prompts {
public:
    QStringList messages, titles, questions, inputPrompts;
    std::deque<bool> yesAnswers;
    std::deque<QString> inputAnswers;

    void Message(QWidget*, const QString& title, const QString& text) override {
        titles << title;
        messages << text;
    }
    bool AskYesNo(QWidget*, const QString& title, const QString& text) override {
        titles << title;
        questions << text;
        return Take(yesAnswers, false);
    }
    QString InputBox(QWidget*, const QString& title, const QString& prompt) override {
        titles << title;
        inputPrompts << prompt;
        return Take(inputAnswers);
    }
};

}  // namespace pz::test
