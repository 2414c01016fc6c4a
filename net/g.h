#pragma once

#include <QByteArray>
#include <QWidget>

// Interim HTTP client control: its state light, the progress event and the
// calls the main window makes.
class G : public QWidget
{
    Q_OBJECT

public:
    explicit G(QWidget *parent = nullptr);

    QString RetUrl(QString &Url, int method, bool WaitResult, const QString &POSTdata = QString(),
                   bool PostUtf = false);
    QByteArray RetBytes(QString &Url);
    QByteArray RawResult() const { return QByteArray(); }
    void Abort() {}

Q_SIGNALS:
    void Res(const QString &text);
    void log(const QString &info);
    void PercentOfLoad(qint16 Perc);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *I;
};
