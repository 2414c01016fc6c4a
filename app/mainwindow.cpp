#include "mainwindow.h"

#include "appinfo.h"
#include "artwork.h"
#include "check.h"
#include "datetext.h"
#include "formdesign.h"
#include "g.h"
#include "loadprogress.h"
#include "pathutil.h"
#include "playlistmodel.h"
#include "programsetup.h"
#include "progressbox.h"
#include "progressreadout.h"
#include "prompts.h"
#include "settingswriter.h"
#include "stationtable.h"
#include "statusline.h"
#include "uccalendar.h"
#include "windowaccess.h"
#include "xpb.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

const QString Main::AppVersion = QStringLiteral(TUNETRAWL_VERSION);

namespace {

const QString CaptionBase = u"Tunetrawl"_s;
const QString CaptionCredit = u" — сборник эфиров от команды Tunetrawl"_s;
const QString FolderPlaceholder = u"Выберите каталог для сохранения"_s;

QColor Grey(int level)
{
    return QColor(level, level, level);
}

void SetBase(QWidget *w, const QColor &color)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::Base, color);
    w->setPalette(palette);
}

// Fusion paints a drop-down list as a gradient button; the station list is
// flat, in the date box's grey and frame, with the style's own arrow.
void PaintFlatComboBox(QComboBox *combo)
{
    QStylePainter painter(combo);
    QStyleOptionFrame frame;
    frame.initFrom(combo);
    frame.lineWidth = combo->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, combo);
    painter.drawPrimitive(QStyle::PE_PanelLineEdit, frame);

    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    option.currentText = combo->currentText();
    option.currentIcon = combo->itemIcon(combo->currentIndex());
    option.iconSize = combo->iconSize();
    QStyleOption arrow = option;
    arrow.rect = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                QStyle::SC_ComboBoxArrow, combo);
    painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
    painter.setPen(combo->palette().color(QPalette::Text));
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

template<typename Label = QLabel>
Label *TransparentLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new Label(parent);
    label->setText(text);
    label->setObjectName(name);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setGeometry(FormDesign::Geometry(name));
    return label;
}

} // namespace

Main::Main(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      prompts(std::make_unique<Prompts>()),
      settings(std::make_unique<QSettings>(u"tunetrawl"_s, u"tunetrawl"_s))
{
    setObjectName(u"Main"_s);
    setWindowTitle(CaptionBase);
    setWindowIcon(Artwork::windowIcon());
    setFixedSize(FormDesign::ClientSize);
    settingsWriter = new SettingsWriter(this);
    settingsWriter->setStore(settings->fileName(), settings->format());
    createControls();
    connectControls();
    SetUpWindowAccess(*this);
}

Main::~Main() = default;

void Main::setPrompts(std::unique_ptr<Prompts> replacement)
{
    prompts = std::move(replacement);
}

void Main::setSettingsStore(std::unique_ptr<QSettings> store)
{
    settings = std::move(store);
    settingsWriter->setStore(settings->fileName(), settings->format());
}

void Main::setNetworkTimings(const NetworkTimings &replacement)
{
    timings = replacement;
    G->setTimings(timings.exchange);
}

void Main::createControls()
{
    const auto place = [](QWidget *w, const QString &name) {
        w->setObjectName(name);
        w->setGeometry(FormDesign::Geometry(name));
    };

    bg = new QLabel(this);
    place(bg, u"bg"_s);
    bg->setScaledContents(true);

    Text1 = new QLineEdit(u"16.06.2014"_s, this);
    place(Text1, u"Text1"_s);
    Text1->setReadOnly(true);
    Text1->setCursor(Qt::PointingHandCursor);
    SetBase(Text1, Grey(238));
    Text1->installEventFilter(this);

    Combo1 = new QComboBox(this);
    place(Combo1, u"Combo1"_s);
    SetBase(Combo1, Grey(238));
    Combo1->installEventFilter(this);

    Command1 = new XpB(this);
    place(Command1, u"Command1"_s);
    Command1->ReadProperties(FormDesign::SavedProperties(u"Command1"));

    Playlist = new PlaylistModel(this);
    List1 = new QListView(this);
    place(List1, u"List1"_s);
    List1->setModel(Playlist);
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setUniformItemSizes(true);
    // Room for a run's marks beside the titles, no taller than a line of text.
    const int mark = List1->fontMetrics().height() - 3;
    List1->setIconSize(QSize(mark, mark));
    SetBase(List1, Grey(235));

    Check1 = new Check(this);
    place(Check1, u"Check1"_s);
    Check1->ReadProperties(FormDesign::SavedProperties(u"Check1"));
    Label2 = TransparentLabel(this, u"Label2"_s, u"Выбрать все"_s);
    Check2 = new Check(this);
    place(Check2, u"Check2"_s);
    Check2->ReadProperties(FormDesign::SavedProperties(u"Check2"));
    Label3 = TransparentLabel(this, u"Label3"_s, u"Не нумеровать"_s);
    Check3 = new Check(this);
    place(Check3, u"Check3"_s);
    Check3->ReadProperties(FormDesign::SavedProperties(u"Check3"));
    Label4 = TransparentLabel(this, u"Label4"_s, u"Подкаталоги по дате"_s);

    Text2 = new QLineEdit(FolderPlaceholder, this);
    place(Text2, u"Text2"_s);
    Text2->setReadOnly(true);

    XpB1 = new XpB(this);
    place(XpB1, u"XpB1"_s);
    XpB1->ReadProperties(FormDesign::SavedProperties(u"XpB1"));

    Progress = new ProgressBox(this);
    place(Progress, u"Progress"_s);
    Progress->setScaledContents(true);
    Progress->setPixmap(Artwork::progressBackground(Progress->size()));

    ImagPr = new QLabel(Progress);
    place(ImagPr, u"ImagPr"_s);
    ImagPr->setScaledContents(true);
    ImagPr->setPixmap(Artwork::progressFill(Progress->size()));
    ImagPr->hide();

    // The light copy lies one pixel right and below, under the dark one: a shadow.
    PercLabel2 = TransparentLabel(Progress, u"PercLabel2"_s, QString());
    PercLabel2->setAlignment(Qt::AlignCenter);
    QPalette light = PercLabel2->palette();
    light.setColor(QPalette::WindowText, Grey(224));
    PercLabel2->setPalette(light);
    PercLabel = TransparentLabel(Progress, u"PercLabel"_s, QString());
    PercLabel->setAlignment(Qt::AlignCenter);

    G = new ::G(Progress);
    place(G, u"G"_s);

    st = TransparentLabel<StatusLine>(this, u"st"_s, u"Выберите радиостанцию"_s);
    st->setAlignment(Qt::AlignCenter);
    QFont tahoma(ProgramFontFamily(u"Tahoma"_s));
    tahoma.setStyleHint(QFont::SansSerif);
    tahoma.setPointSizeF(8.25);
    st->setFont(tahoma);
    QPalette white = st->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    st->setPalette(white);

    Cal = new ucCalendar(this);
    place(Cal, u"Cal"_s);
    Cal->ReadProperties(FormDesign::SavedProperties(u"Cal"));
    Cal->hide();

    MT = new QTimer(this);
    MT->setObjectName(u"MT"_s);
    MT->setInterval(500);

    uiPace = new QTimer(this);
    uiPace->setSingleShot(true);
    uiPace->setInterval(16);

    // The program's own requests share G's session: its Referer, cookies, TLS sessions.
    pageExchange = new Exchange(G->session(), this);
    updateExchange = new Exchange(G->session(), this);
}

void Main::connectControls()
{
    connect(MT, &QTimer::timeout, this, &Main::MT_Timer);
    connect(Combo1, &QComboBox::activated, this, &Main::Combo1_Click);
    connect(Cal, &ucCalendar::Change, this, &Main::Cal_Change);
    connect(Check1, &Check::Click, this, &Main::Check1_Click);
    // Marks changed by the program count as clicks too, as the list always did.
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Main::List1_Click);
    connect(XpB1, &XpB::Click, this, &Main::XpB1_Click);
    connect(Command1, &XpB::Click, this, &Main::Command1_Click);
    connect(G, &::G::PercentOfLoad, this, &Main::G_PercentOfLoad);
    connect(uiPace, &QTimer::timeout, this, &Main::ShowPending);
    List1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List1, &QWidget::customContextMenuRequested, this, &Main::ShowListMenu);
    connect(settingsWriter, &SettingsWriter::written, this, &Main::SettingsWritten);
    for (Exchange *exchange : {pageExchange, updateExchange})
        connect(exchange, &Exchange::lightChanged, G, &::G::showLight);
    connect(pageExchange, &Exchange::progress, this,
            [this](qint64 received, qint64, qint64 length) {
                G_PercentOfLoad(LoadProgress::percent(received, length));
            });
    connect(pageExchange, &Exchange::finished, this, &Main::PlaylistArrived);
    connect(updateExchange, &Exchange::finished, this, &Main::UpdateReplyArrived);
    // Escape stops a run wherever the focus is in the window.
    auto *stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, this, [this] {
        if (Running())
            StopRun();
    });
}

void Main::closeEvent(QCloseEvent *event)
{
    // Nothing may go on behind a closed window: songs in flight and their part
    // files go, whole ones still land.
    if (run)
        run->stop();
    pageExchange->abort();
    updateExchange->abort();
    G->Abort();
    QWidget::closeEvent(event);
}

bool Main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1 && event->type() == QEvent::MouseButtonRelease && Text1->isEnabled())
        Text1_Click();
    if (watched == Combo1 && event->type() == QEvent::Paint) {
        PaintFlatComboBox(Combo1);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Main::Load()
{
    setWindowTitle(CaptionBase + u" v "_s + AppVersion + CaptionCredit);
    bg->setGeometry(rect());
    bg->setPixmap(Artwork::windowBackground(size(), Progress->y() - 6));
    bg->lower();
    Text1->setText(TodayText());
    for (const Station &station : StationTable())
        Combo1->addItem(station.name);
    Combo1->setCurrentIndex(-1);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    LoadSettings();
}

void Main::EnableInputs(bool enable)
{
    if (!enable)
        Cal->hide();
    Text1->setEnabled(enable);
    Command1->setEnabledCtrl(enable);
    Combo1->setEnabled(enable);
    XpB1->setEnabledCtrl(enable);
}

QString Main::BrowseForFolder(const QString &title)
{
    // Opens where the current folder is, when there is one.
    const QString current = QFileInfo(Text2->text()).isDir() ? Text2->text() : QString();
    return prompts->browseForFolder(this, title, current);
}

void Main::MT_Timer()
{
    MT->stop();
    Combo1_Click();
}

void Main::Combo1_Click()
{
    if (suppressEvents || Busy())
        return;
    const int index = Combo1->currentIndex();
    if (index >= 0 && index < int(StationTable().size()))
        stationSlug = StationTable()[index].slug;
    if (!stationSlug.isEmpty())
        LoadPlaylist();
}

void Main::Text1_Click()
{
    if (Busy())
        return;
    // The calendar opens on the date in the box, not on the day it was designed.
    Cal->setActiveDate(Text1->text());
    Cal->setVisible(true);
    Cal->raise();
}

void Main::Cal_Change()
{
    // A pick while a load or run goes would replace the list under it.
    if (Busy())
        return;
    Text1->setText(Cal->ActiveDate());
    Cal->setVisible(false);
    // Without a station there is no page to ask for.
    if (!stationSlug.isEmpty())
        LoadPlaylist();
}

void Main::Check1_Click()
{
    if (suppressEvents)
        return;
    suppressEvents = true;
    List1->selectAll();
    suppressEvents = false;
}

void Main::List1_Click()
{
    if (suppressEvents)
        return;
    suppressEvents = true;
    const QModelIndex current = List1->currentIndex();
    if (current.isValid() && !IsMarked(current.row()))
        Check1->setValue(false);
    suppressEvents = false;
}

void Main::XpB1_Click()
{
    if (Busy())
        return;
    const QString path = BrowseForFolder(u"Выберите каталог для сохранения файлов"_s);
    if (path.isEmpty())
        return;
    Text2->setText(WithTrailingSeparator(path));
}

void Main::Command1_Click()
{
    if (Running()) {
        StopRun();
        return;
    }
    if (Busy())
        return;
    if (!QFileInfo(Text2->text()).isDir()) {
        prompts->information(this, u"Внимание!"_s,
                             u"Не выбран или не существует каталог для сохранения!"_s);
        return;
    }
    StartRun();
}

void Main::G_PercentOfLoad(qint16 Perc)
{
    pendingPercent = Perc;
    percentDirty = true;
    if (!uiPace->isActive())
        ShowPending();
}

void Main::ShowStatus(const QString &text)
{
    pendingStatus = text;
    statusDirty = true;
    if (!uiPace->isActive())
        ShowPending();
}

void Main::ShowCurrentSong(int row)
{
    pendingRow = row;
    if (!uiPace->isActive())
        ShowPending();
}

void Main::ShowSongDone(int row)
{
    pendingDone.append(row);
    if (!uiPace->isActive())
        ShowPending();
}

void Main::ShowPending()
{
    bool shownSomething = false;
    if (statusDirty) {
        statusDirty = false;
        if (st->text() != pendingStatus) {
            st->setText(pendingStatus);
            shownSomething = true;
        }
    }
    if (percentDirty) {
        percentDirty = false;
        const ProgressReadout readout = ProgressFor(pendingPercent, Progress->width());
        const ProgressReadout before = ProgressFor(shownPercent, Progress->width());
        shownPercent = pendingPercent;
        if (readout.text != before.text || readout.fillWidth != before.fillWidth ||
            readout.shown != ImagPr->isVisible()) {
            PercLabel->setText(readout.text);
            PercLabel2->setText(readout.text);
            Progress->setShownPercent(readout.shown ? pendingPercent : 0);
            if (readout.shown) {
                ImagPr->resize(readout.fillWidth, Progress->height());
                ImagPr->show();
            } else {
                ImagPr->hide();
            }
            shownSomething = true;
        }
    }
    if (pendingRow >= 0) {
        const QModelIndex index = Playlist->index(pendingRow, 0);
        pendingRow = -1;
        if (index.isValid() && index != List1->currentIndex()) {
            List1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            List1->scrollTo(index);
            shownSomething = true;
        }
    }
    if (!pendingOutcomes.isEmpty()) {
        Playlist->setOutcomes(std::exchange(pendingOutcomes, {}));
        shownSomething = true;
    }
    if (!pendingDone.isEmpty()) {
        // One change of the marks, so one repaint of the list and one List1_Click.
        std::sort(pendingDone.begin(), pendingDone.end());
        QItemSelection done;
        for (qsizetype i = 0; i < pendingDone.size();) {
            qsizetype last = i;
            while (last + 1 < pendingDone.size() && pendingDone[last + 1] <= pendingDone[last] + 1)
                ++last;
            const QModelIndex top = Playlist->index(pendingDone[i], 0);
            const QModelIndex bottom = Playlist->index(pendingDone[last], 0);
            if (top.isValid() && bottom.isValid())
                done.append(QItemSelectionRange(top, bottom));
            i = last + 1;
        }
        List1->selectionModel()->select(done, QItemSelectionModel::Deselect);
        shownSomething = true;
    }
    pendingDone.clear();
    // Whatever comes within the next frame waits for its end.
    if (shownSomething)
        uiPace->start();
}

void Main::FinishWork(const QString &status)
{
    // The inputs stay locked until the end is told, so no new work starts meanwhile.
    finishing = true;
    settingsWriter->whenWritten([this, status] {
        finishing = false;
        uiPace->stop();
        QString text = status;
        if (settingsUnsaved) {
            settingsUnsaved = false;
            text += u" (настройки не сохранены)"_s;
        }
        pendingStatus = text;
        statusDirty = true;
        ShowPending();
        if (work == Work::Run)
            Command1->setCaption(u"Старт!"_s);
        work = Work::None;
        EnableInputs(true);
        emit workFinished();
    });
}

void Main::SettingsWritten(bool ok)
{
    // A store that cannot be written is told once, with the end of the work that
    // saved; once it can be written again, a new failure is told again.
    if (!ok && !settingsFailureTold)
        settingsUnsaved = true;
    settingsFailureTold = !ok;
}

const QList<SongEntry> &Main::Songs() const
{
    return Playlist->songs();
}

int Main::SongCount() const
{
    return Playlist->rowCount();
}

bool Main::IsMarked(int row) const
{
    return List1->selectionModel()->isRowSelected(row, QModelIndex());
}

void Main::SetMarked(int row, bool marked)
{
    const QModelIndex index = Playlist->index(row, 0);
    if (index.isValid() && IsMarked(row) != marked)
        List1->selectionModel()->select(index, marked ? QItemSelectionModel::Select
                                                      : QItemSelectionModel::Deselect);
}

int Main::MarkedCount() const
{
    return int(List1->selectionModel()->selectedRows().size());
}
