#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class Check;
class G;
class Prompts;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;
class XpB;
class ucCalendar;

// The program's only window. The controls keep their designer names; the
// handlers are named after the control and event they answer.
class Main : public QWidget
{
    Q_OBJECT

public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Replaces the dialogs (tests answer them).
    void setPrompts(std::unique_ptr<Prompts> prompts);

    // Start-up: caption, date, stations, settings.
    void Load();

    // The busy switch: locks or unlocks the four inputs that start a load or a run.
    void EnableInputs(bool enable);

    // The chosen folder, or "" when cancelled.
    QString BrowseForFolder(const QString &title);

    // Event handlers.
    void MT_Timer();
    void Combo1_Click();
    void Text1_Click();
    void Cal_Change();
    void Check1_Click();
    void List1_Click();
    void XpB1_Click();
    void Command1_Click();
    void G_PercentOfLoad(qint16 Perc);

    QString StationSlug() const { return stationSlug; }
    bool SuppressEvents() const { return suppressEvents; }

    static const QString AppVersion;

    // Controls, by their designer names.
    QLabel *bg = nullptr;
    QLineEdit *Text1 = nullptr;
    QComboBox *Combo1 = nullptr;
    XpB *Command1 = nullptr;
    QListWidget *List1 = nullptr;
    Check *Check1 = nullptr;
    QLabel *Label2 = nullptr;
    Check *Check2 = nullptr;
    QLabel *Label3 = nullptr;
    Check *Check3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text2 = nullptr;
    XpB *XpB1 = nullptr;
    QLabel *Progress = nullptr;
    QLabel *ImagPr = nullptr;
    QLabel *PercLabel2 = nullptr;
    QLabel *PercLabel = nullptr;
    ::G *G = nullptr;
    QLabel *st = nullptr;
    ucCalendar *Cal = nullptr;
    QTimer *MT = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectControls();

    std::unique_ptr<Prompts> prompts;
    QString stationSlug;
    bool suppressEvents = false;
};
