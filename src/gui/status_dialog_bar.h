// The status dialog bar along the bottom of the main window: the prompt line of the
// editing commands (1021) and the snap (1004), grid (1022), relative-entry (1023) and
// scale (1024) buttons. A click sends the button's command; the captions and enabled
// states come from the command's update handler while the program is idle.
#pragma once

#include <QWidget>
#include <map>

class QLabel;
class QPushButton;

namespace marquetta {

inline constexpr int kPromptLabelId = 1021;

class CStatusDialogBar : public QWidget {
    Q_OBJECT

  public:
    explicit CStatusDialogBar(QWidget* parent = nullptr);

    void SetPrompt(const QString& text);
    QString Prompt() const;
    // The buttons in order from left to right, by command id.
    static const int kButtonIds[4];
    QPushButton* Button(int id) const;

  signals:
    void CommandClicked(int id);

  private:
    QLabel* prompt_ = nullptr;
    std::map<int, QPushButton*> buttons_;
};

}  // namespace marquetta
