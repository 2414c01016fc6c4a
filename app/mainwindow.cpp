#include "mainwindow.h"

#include "appinfo.h"
#include "artwork.h"
#include "check.h"
#include "datetext.h"
#include "folderstart.h"
#include "formdesign.h"
#include "framepace.h"
#include "g.h"
#include "listmenu.h"
#include "markselection.h"
#include "pathutil.h"
#include "playlistmodel.h"
#include "programsetup.h"
#include "progressbox.h"
#include "progressreadout.h"
#include "prompts.h"
#include "songdelegate.h"
#include "songlist.h"
#include "stationtable.h"
#include "statusline.h"
#include "uccalendar.h"
#include "windowaccess.h"
#include "xpb.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>
#include <QUrl>

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
      Work(new Workflow(std::make_unique<QSettings>(u"tunetrawl"_s, u"tunetrawl"_s), this)),
      Dialogs(std::make_unique<Prompts>())
{
    setObjectName(u"Main"_s);
    setWindowTitle(CaptionBase);
    setWindowIcon(Artwork::windowIcon());
    setFixedSize(FormDesign::ClientSize);
    createControls();
    connectControls();
    connectWorkflow();
    SetUpWindowAccess({this,
                       Text1,
                       Combo1,
                       Command1,
                       List1,
                       {{Check1, Label2}, {Check2, Label3}, {Check3, Label4}},
                       Text2,
                       XpB1,
                       Progress,
                       Cal,
                       [this] { Text1_Click(); }});
}

Main::~Main()
{
    // The views go before the workflow they show: its children go in the order made.
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    delete Playlist;
}

void Main::setPrompts(std::unique_ptr<Prompts> replacement)
{
    Dialogs = std::move(replacement);
}

void Main::setSettingsStore(std::unique_ptr<QSettings> store)
{
    Work->setSettingsStore(std::move(store));
}

void Main::setNetworkTimings(const NetworkTimings &timings)
{
    Work->setTimings(timings);
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

    Playlist = new PlaylistModel(Work->songs(), this);
    Playlist->setObjectName(u"Playlist"_s);
    List1 = new QListView(this);
    place(List1, u"List1"_s);
    List1->setModel(Playlist);
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setUniformItemSizes(true);
    // The rows keep one height and the mark column its room from the load on;
    // long titles are cut, never scrolled to sideways.
    List1->setItemDelegate(new SongDelegate(List1));
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int mark = List1->fontMetrics().height() - 3;
    List1->setIconSize(QSize(mark, mark));
    SetBase(List1, Grey(235));
    // The songs' marks are the list's selection.
    new MarkSelection(Playlist, List1->selectionModel(), this);

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

    // The control shows the connections the workflow runs on its one session.
    G = new ::G(Progress, Work->session());
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

    Pace = new FramePace([this] { return showPending(); }, this);
}

void Main::connectControls()
{
    connect(MT, &QTimer::timeout, this, &Main::MT_Timer);
    connect(Combo1, &QComboBox::activated, this, &Main::Combo1_Click);
    connect(Cal, &ucCalendar::Change, this, &Main::Cal_Change);
    connect(Check1, &Check::Click, this, &Main::Check1_Click);
    connect(Check2, &Check::Click, this, [this] { Work->setNoNumbers(Check2->Value()); });
    connect(Check3, &Check::Click, this, [this] { Work->setDayFolders(Check3->Value()); });
    // Marks changed by the program count as clicks too, as the list always did.
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Main::List1_Click);
    connect(Text2, &QLineEdit::textChanged, Work, &Workflow::setFolder);
    connect(XpB1, &XpB::Click, this, &Main::XpB1_Click);
    connect(Command1, &XpB::Click, this, &Main::Command1_Click);
    connect(G, &::G::PercentOfLoad, this, &Main::G_PercentOfLoad);
    List1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List1, &QWidget::customContextMenuRequested, this, &Main::showListMenu);
    // Escape stops a run wherever the focus is in the window.
    auto *stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, this, [this] {
        if (Work->state() == Workflow::State::Running)
            Work->stop();
    });
}

void Main::connectWorkflow()
{
    connect(Work, &Workflow::stateChanged, this, &Main::showState);
    connect(Work, &Workflow::choicesChanged, this, &Main::showChoices);
    connect(Work, &Workflow::statusChanged, this, &Main::showStatus);
    connect(Work, &Workflow::progressChanged, this, &Main::G_PercentOfLoad);
    connect(Work, &Workflow::lightChanged, G, &::G::showLight);
    connect(Work, &Workflow::songStarted, this, &Main::showCurrentSong);
    connect(Work, &Workflow::updateChecked, this,
            [this](bool, const VersionReply &reply) { updateChecked(reply); });
    connect(Work, &Workflow::workFinished, this, &Main::workEnded);
    connect(Work, &Workflow::runFinished, this, [this](const RunTally &, const QString &failedAt) {
        const QString folder = Work->runFolder();
        if (failedAt.isEmpty() && !folder.isEmpty())
            st->setDetail(u"Папка с песнями: "_s + QDir::toNativeSeparators(folder));
    });
    SongList *songs = Work->songs();
    connect(songs, &QAbstractItemModel::modelReset, this, &Main::showMarkCount);
    connect(songs, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.contains(SongList::MarkRole))
                    showMarkCount();
            });
    showMarkCount();
}

void Main::showMarkCount()
{
    const SongList *songs = Work->songs();
    const QString text = songs->count() > 0
                             ? u"Отмечено %1 из %2"_s.arg(songs->markedCount()).arg(songs->count())
                             : QString();
    if (List1->toolTip() == text)
        return;
    List1->setToolTip(text);
    List1->setAccessibleDescription(text);
}

void Main::closeEvent(QCloseEvent *event)
{
    // Nothing may go on behind a closed window: songs in flight and their part
    // files go, whole ones still land.
    Work->stop();
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
    Work->setDate(TodayText());
    for (const Station &station : StationTable())
        Combo1->addItem(station.name);
    Combo1->setCurrentIndex(-1);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // The check comes first, before the rest is restored; its end goes on below.
    if (!Work->updateDue() || !Work->checkForUpdate())
        restoreSettings();
}

void Main::updateChecked(const VersionReply &reply)
{
    if (OffersUpdate(reply, AppVersion) &&
        Dialogs->question(this, u"Новая версия"_s, UpdateMessage(reply)))
        Dialogs->openUrl(reply.link);
    restoreSettings();
}

void Main::restoreSettings()
{
    Work->restoreChoices();
    // A stored station's list loads once the window is on screen.
    if (Work->choices().station >= 0)
        MT->start();
    StartedUp = true;
    emit loaded();
}

void Main::showChoices()
{
    const Workflow::Choices &chosen = Work->choices();
    if (chosen.station >= 0 && chosen.station < Combo1->count())
        Combo1->setCurrentIndex(chosen.station);
    Text1->setText(chosen.date);
    if (!chosen.folder.isEmpty())
        Text2->setText(chosen.folder);
    // Each write of Value is a click, which tells the workflow what it already holds.
    if (Check2->Value() != chosen.noNumbers)
        Check2->setValue(chosen.noNumbers);
    if (Check3->Value() != chosen.dayFolders)
        Check3->setValue(chosen.dayFolders);
}

void Main::showState(Workflow::State state)
{
    switch (state) {
    case Workflow::State::Loading:
        st->setDetail({});
        EnableInputs(false);
        break;
    case Workflow::State::Running:
        st->setDetail({});
        EnableInputs(false);
        // The start button stays live as the stop button.
        Command1->setCaption(u"Стоп"_s);
        Command1->setEnabledCtrl(true);
        Playlist->setPace(Pace);
        break;
    case Workflow::State::Idle:
    case Workflow::State::CheckingForUpdate:
    case Workflow::State::Stopping:
        break;
    }
}

void Main::workEnded()
{
    // The last word shows at once, with the marks and outcomes of the end.
    Playlist->setPace(nullptr);
    Pace->flush();
    Command1->setCaption(u"Старт!"_s);
    EnableInputs(true);
    emit workFinished();
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
    return Dialogs->browseForFolder(this, title, FolderChooserStart(Text2->text()));
}

void Main::MT_Timer()
{
    MT->stop();
    Combo1_Click();
}

void Main::Combo1_Click()
{
    if (Work->busy())
        return;
    Work->setStation(Combo1->currentIndex());
    Work->loadPlaylist();
}

void Main::Text1_Click()
{
    if (Work->busy())
        return;
    // The calendar opens on the date in the box, not on the day it was designed.
    Cal->setActiveDate(Text1->text());
    Cal->setVisible(true);
    Cal->raise();
}

void Main::Cal_Change()
{
    // A pick while a load or run goes would replace the list under it.
    if (Work->busy())
        return;
    Work->setDate(Cal->ActiveDate());
    Cal->setVisible(false);
    // Without a station there is no page to ask for.
    Work->loadPlaylist();
}

void Main::Check1_Click()
{
    Work->songs()->markAll();
}

void Main::List1_Click()
{
    const QModelIndex current = List1->currentIndex();
    if (!current.isValid() || List1->selectionModel()->isRowSelected(current.row()))
        return;
    // Unticked by the program, which is no click on the box.
    const QSignalBlocker quiet(Check1);
    Check1->setValue(false);
}

void Main::XpB1_Click()
{
    if (Work->busy())
        return;
    const QString path = BrowseForFolder(u"Выберите каталог для сохранения файлов"_s);
    if (!path.isEmpty())
        Work->setFolder(WithTrailingSeparator(path));
}

void Main::Command1_Click()
{
    switch (Work->state()) {
    case Workflow::State::Running:
    case Workflow::State::Stopping:
        Work->stop();
        return;
    case Workflow::State::Idle:
        break;
    case Workflow::State::Loading:
    case Workflow::State::CheckingForUpdate:
        return;
    }
    if (Work->startRun() == Workflow::RunStart::NoFolder)
        Dialogs->information(this, u"Внимание!"_s,
                             u"Не выбран или не существует каталог для сохранения!"_s);
}

void Main::G_PercentOfLoad(qint16 Perc)
{
    PendingPercent = Perc;
    PercentDirty = true;
    Pace->request();
}

void Main::showStatus(const QString &text)
{
    PendingStatus = text;
    StatusDirty = true;
    Pace->request();
}

void Main::showCurrentSong(SongId song)
{
    PendingRow = Work->songs()->rowOf(song);
    Pace->request();
}

bool Main::showPending()
{
    bool shownSomething = false;
    if (StatusDirty) {
        StatusDirty = false;
        if (st->text() != PendingStatus) {
            st->setText(PendingStatus);
            shownSomething = true;
        }
    }
    if (PercentDirty) {
        PercentDirty = false;
        const ProgressReadout readout = ProgressFor(PendingPercent, Progress->width());
        const ProgressReadout before = ProgressFor(ShownPercent, Progress->width());
        ShownPercent = PendingPercent;
        if (readout.text != before.text || readout.fillWidth != before.fillWidth ||
            readout.shown != ImagPr->isVisible()) {
            PercLabel->setText(readout.text);
            PercLabel2->setText(readout.text);
            Progress->setShownPercent(readout.shown ? PendingPercent : 0);
            if (readout.shown) {
                ImagPr->resize(readout.fillWidth, Progress->height());
                ImagPr->show();
            } else {
                ImagPr->hide();
            }
            shownSomething = true;
        }
    }
    if (PendingRow >= 0) {
        const QModelIndex index = Playlist->index(PendingRow, 0);
        PendingRow = -1;
        if (index.isValid() && index != List1->currentIndex()) {
            List1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            List1->scrollTo(index);
            shownSomething = true;
        }
    }
    // The list's marks and outcomes of the frame, in one change.
    if (Playlist->tell())
        shownSomething = true;
    return shownSomething;
}

QMenu *Main::ListMenu()
{
    if (!SongMenu)
        SongMenu =
            new ::ListMenu(Work->songs(),
                           {[this] { Check1_Click(); }, [this] { return Work->songFolder(); },
                            [this](const QString &url) { openFolder(url); }},
                           List1);
    SongMenu->refresh();
    return SongMenu;
}

void Main::showListMenu(const QPoint &position)
{
    // Shown without a loop of its own; the window goes on meanwhile.
    ListMenu()->popup(List1->viewport()->mapToGlobal(position));
}

void Main::openFolder(const QString &url)
{
    if (Dialogs->openUrl(url))
        return;
    // Where the desktop opens no folders, the user can at least go there by hand.
    Dialogs->information(this, u"Внимание!"_s,
                         u"Не удалось открыть папку. Её путь:\n"_s +
                             QDir::toNativeSeparators(QUrl(url).toLocalFile()));
}
