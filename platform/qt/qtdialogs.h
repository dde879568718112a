#pragma once
#include "platform/filedialogs.h"

namespace pz {

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> OpenFile(QWidget* parent, const QString& filter, const QString& startDir) override;
    std::optional<QString> SaveFile(QWidget* parent, const QString& filter, const QString& startDir) override;
};

class QtPrompts : public Prompts {
public:
    void Message(QWidget* parent, const QString& title, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override;
    QString InputBox(QWidget* parent, const QString& title, const QString& prompt) override;
};

}  // namespace pz
