#pragma once
// The common dialogs the game needs: open and save a file, a message box, a
// yes/no question and a one-line text prompt. The program uses Qt's dialogs;
// tests script the answers.
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace pz {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nothing when the player cancelled. The filter is
    // in the "Description|*.a;*.b|..." form.
    virtual std::optional<QString> OpenFile(QWidget* parent, const QString& filter,
                                            const QString& startDir) = 0;
    virtual std::optional<QString> SaveFile(QWidget* parent, const QString& filter,
                                            const QString& startDir) = 0;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void Message(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // The typed text; empty after Cancel.
    virtual QString InputBox(QWidget* parent, const QString& title, const QString& prompt) = 0;
};

// "Pictures|*.bmp;*.jpg|States|*.psf" -> "Pictures (*.bmp *.jpg);;States (*.psf)".
inline QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return out.join(";;");
}

}  // namespace pz
