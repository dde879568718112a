#include "platform/qt/qtdialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace pz {

std::optional<QString> QtFileDialogs::OpenFile(QWidget* parent, const QString& filter,
                                               const QString& startDir) {
    const QString f = QFileDialog::getOpenFileName(parent, QString(), startDir, QtFilter(filter));
    if (f.isEmpty()) return std::nullopt;
    return f;
}

std::optional<QString> QtFileDialogs::SaveFile(QWidget* parent, const QString& filter,
                                               const QString& startDir) {
    // No extension is added and the player is not asked before overwriting.
    const QString f = QFileDialog::getSaveFileName(parent, QString(), startDir, QtFilter(filter), nullptr,
                                                   QFileDialog::DontConfirmOverwrite);
    if (f.isEmpty()) return std::nullopt;
    return f;
}

void QtPrompts::Message(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtPrompts::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::InputBox(QWidget* parent, const QString& title, const QString& prompt) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

}  // namespace pz
