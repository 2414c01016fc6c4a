#pragma once

#include <QWidget>

// Interim HTTP client control: its state light and the progress event the main
// window listens to.
class G : public QWidget
{
    Q_OBJECT

public:
    explicit G(QWidget *parent = nullptr);

Q_SIGNALS:
    void Res(const QString &text);
    void log(const QString &info);
    void PercentOfLoad(qint16 Perc);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *I;
};
