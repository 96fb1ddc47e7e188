#pragma once
// The about box: the product, its version, the author's lines, and the machine's operating
// system, physical memory and owner, read afresh every time the box is shown.

#include <QDialog>
#include <functional>

class QLabel;
class QUrl;
class MachineFacts;

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    AboutBox(MachineFacts& facts, std::function<void(const QUrl&)> openUrl,
             QWidget* parent = nullptr);

    // Fills the operating system, memory and owner lines.
    void FillInFacts();
    void WriteToAuthor();
    void OpenAuthorSite();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MachineFacts& facts_;
    std::function<void(const QUrl&)> openUrl_;
    QLabel* mail_;
    QLabel* site_;
    QLabel* system_;
    QLabel* memory_;
    QLabel* owner_;
};
