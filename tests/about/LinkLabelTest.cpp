#include "about/AboutBox.h"
#include "about/LinkLabel.h"

#include "platform/AppMessages.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "FileDescriptor.h"
#include "ModalDeadline.h"
#include "SpecialFiles.h"

namespace {

// How long a test waits for a stand-in program before it fails.
constexpr int kDeadlineMs = 20000;

// A target no shell may read as anything but text.
const QString kHostileTarget = "https://quietbell.example.org/a b\"c';$(touch PWNED)`touch PWNED2`";

// Real programs on a PATH of their own: recorders that write their arguments, one per
// NUL-terminated record, and then exit with a chosen status.
class LinkOpening : public testing::Test {
protected:
    LinkOpening() : m_oldPath(qgetenv("PATH")), m_oldDataHome(qgetenv("XDG_DATA_HOME")) {
        qputenv("PATH", m_bin.path().toUtf8());
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        QDir().mkpath(m_data.path() + "/applications");
        platform::AppMessages::SetHandler(
            [this](const platform::AppMessage& message) { m_messages.push_back(message); });
    }
    ~LinkOpening() override {
        qputenv("PATH", m_oldPath);
        qputenv("XDG_DATA_HOME", m_oldDataHome);
        platform::AppMessages::SetHandler({});
    }

    void Script(const QString& name, const QString& body) {
        const QString path = m_bin.path() + "/" + name;
        std::ofstream(path.toStdString()) << "#!/bin/sh\n" << body.toStdString() << "\n";
        chmod(path.toLocal8Bit().constData(), 0755);
    }
    void Opener(int status) {
        Script("xdg-open",
               QString("printf '%s\\0' \"$@\" > '%1'\nexit %2").arg(Record()).arg(status));
    }
    // The browser runs detached; it writes into a FIFO that the test reads, so the test
    // waits for it without any timing. The test holds the FIFO open for reading from here on,
    // so that a browser the test does not wait for never waits on it either.
    void Browser(const QString& exec) {
        ASSERT_NO_FATAL_FAILURE(specialfiles::MakeNamedPipe(Fifo()));
        m_browserRecord = FileDescriptor(
            open(Fifo().toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_TRUE(m_browserRecord.Valid());
        Script("browser", QString("printf '%s\\0' \"$@\" > '%1'").arg(Fifo()));
        Script("xdg-mime", "echo quietbell-test-browser.desktop");
        std::ofstream(
            (m_data.path() + "/applications/quietbell-test-browser.desktop").toStdString())
            << "[Desktop Entry]\nType=Application\nName=Browser\nExec="
            << QString(exec).replace("@BROWSER@", m_bin.path() + "/browser").toStdString() << "\n";
    }
    QString Record() const { return m_bin.path() + "/record"; }
    QString Fifo() const { return m_bin.path() + "/fifo"; }

    static QStringList Arguments(const QByteArray& records) {
        QStringList arguments = QString::fromUtf8(records).split(QChar(0));
        arguments.removeLast();
        return arguments;
    }
    static QStringList Arguments(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? Arguments(file.readAll()) : QStringList();
    }
    // What the browser was given; the test fails if no browser has written it in time.
    QStringList BrowserArguments() const {
        const std::optional<std::string> records =
            ReadUntilClosed(m_browserRecord.Get(), std::chrono::milliseconds(kDeadlineMs));
        EXPECT_TRUE(records.has_value()) << "no browser wrote its arguments";
        return Arguments(QByteArray::fromStdString(records.value_or("")));
    }

    // A click returns at once; the opener's answer comes through the event loop.
    void Click(CLinkLabel& link) { QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(1, 1)); }
    static bool WaitForAnswer(const CLinkLabel& link) {
        return QTest::qWaitFor([&] { return !link.IsOpening(); }, kDeadlineMs);
    }
    // An opener that counts its starts, then waits until the test opens the gate, then exits
    // with the status.
    void GatedOpener(int status) {
        ASSERT_NO_FATAL_FAILURE(specialfiles::MakeNamedPipe(Gate()));
        Script("xdg-open", QString("echo started >> '%1'\nread line < '%2'\necho ended >> '%1'\n"
                                   "exit %3")
                               .arg(Starts(), Gate())
                               .arg(status));
    }
    // Lets every opener waiting at the gate go on; fails the test if none comes to it in time.
    void OpenGate() const {
        // Opened without waiting, the gate has a writer only once an opener reads it.
        FileDescriptor gate;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                gate = FileDescriptor(
                    open(Gate().toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
                return gate.Valid();
            },
            kDeadlineMs))
            << "no opener waits at the gate";
        ASSERT_EQ(write(gate.Get(), "go\n", 3), 3);
    }
    QStringList StartLog() const {
        QFile file(Starts());
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }
    QString Starts() const { return m_bin.path() + "/starts"; }
    QString Gate() const { return m_bin.path() + "/gate"; }

    bool NothingElseStarted() const {
        return !QFile::exists(QDir::currentPath() + "/PWNED") &&
               !QFile::exists(QDir::currentPath() + "/PWNED2") &&
               !QFile::exists(m_bin.path() + "/PWNED");
    }

    QTemporaryDir m_bin;
    QTemporaryDir m_data;
    QByteArray m_oldPath;
    QByteArray m_oldDataHome;
    std::vector<platform::AppMessage> m_messages;
    FileDescriptor m_browserRecord;
    CLinkLabel m_link;
};

TEST_F(LinkOpening, OpenedTargetTurnsVisitedWithoutMessage) {
    Opener(0);
    m_link.setText("link");
    m_link.SetTarget(kHostileTarget);
    m_link.PreSubclassWindow();
    Click(m_link);
    ASSERT_TRUE(WaitForAnswer(m_link));
    EXPECT_EQ(Arguments(Record()), QStringList{kHostileTarget});
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_link.IsOpened());
    EXPECT_EQ(m_link.palette().color(QPalette::WindowText), QColor(85, 26, 139));
    EXPECT_TRUE(NothingElseStarted());
}

TEST_F(LinkOpening, FallbackGetsTheTargetAsOneArgument) {
    Opener(3);
    ASSERT_NO_FATAL_FAILURE(Browser("\"@BROWSER@\" --new-window \"%u\" --dropped"));
    m_link.setText("link");
    m_link.SetTarget(kHostileTarget);
    m_link.PreSubclassWindow();
    Click(m_link);
    ASSERT_TRUE(WaitForAnswer(m_link));
    EXPECT_EQ(BrowserArguments(), (QStringList{"--new-window", kHostileTarget}));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_link.IsOpened());
    EXPECT_TRUE(NothingElseStarted());
}

struct FailureCase {
    const char* name;
    int openerStatus;
    bool withBrowser;
    QString exec;
    const char* line;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkFailure : public LinkOpening, public testing::WithParamInterface<FailureCase> {};

TEST_P(LinkFailure, OneMessageWithTheReason) {
    Opener(GetParam().openerStatus);
    if (GetParam().withBrowser) {
        ASSERT_NO_FATAL_FAILURE(Browser(GetParam().exec));
    }
    m_link.setText("link");
    m_link.SetTarget("mailto:someone@example.org");
    m_link.PreSubclassWindow();
    m_link.MarkVisited(true);
    Click(m_link);
    EXPECT_TRUE(m_messages.empty()) << "the click waited for the opener";
    ASSERT_TRUE(WaitForAnswer(m_link));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, QString("Unable to open hyperlink:\n\n") + GetParam().line);
    EXPECT_EQ(m_messages[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_FALSE(m_link.IsOpened());
    EXPECT_EQ(m_link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
}

INSTANTIATE_TEST_SUITE_P(
    Link, LinkFailure,
    testing::Values(
        FailureCase{"NoHandlerNoFallback",
                    4,
                    false,
                    {},
                    "There is no application associated\nwith the given filename extension."},
        FailureCase{"FileMissing", 2, false, {}, "The specified file was not found."},
        FailureCase{
            "BadCommandLine", 1, false, {}, "The filename association is\nincomplete or invalid."},
        FailureCase{"FallbackTooLongReportsTheOpener", 2, true,
                    "@BROWSER@ " + QString(600, u'x') + " %u", "The specified file was not found."},
        FailureCase{"FallbackProgramMissing", 4, true, "/nonexistent/browser %u",
                    "The specified file was not found."}),
    [](const auto& info) { return std::string(info.param.name); });

// The opener takes its time: the click returns, a second click meanwhile starts nothing, and
// the one answer gives one message.
TEST_F(LinkOpening, ASecondClickBeforeTheAnswerOpensNothingMore) {
    ASSERT_NO_FATAL_FAILURE(GatedOpener(4));
    m_link.setText("link");
    m_link.PreSubclassWindow();
    Click(m_link);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StartLog().size() == 1; }, kDeadlineMs));
    EXPECT_TRUE(m_link.IsOpening());
    Click(m_link);
    ASSERT_NO_FATAL_FAILURE(OpenGate());
    ASSERT_TRUE(WaitForAnswer(m_link));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "Unable to open hyperlink:\n\nThere is no application "
              "associated\nwith the given filename extension.");
    EXPECT_EQ(StartLog(), (QStringList{"started", "ended"}));

    // The answer frees the link: the next click opens again.
    Click(m_link);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StartLog().size() == 3; }, kDeadlineMs));
    ASSERT_NO_FATAL_FAILURE(OpenGate());
    ASSERT_TRUE(WaitForAnswer(m_link));
    EXPECT_EQ(m_messages.size(), 2u);
}

// The About box closes while the browser starts: the answer has nobody to go to.
TEST_F(LinkOpening, ALinkGoneBeforeTheAnswerIsToldNothing) {
    ASSERT_NO_FATAL_FAILURE(GatedOpener(4));
    auto link = std::make_unique<CLinkLabel>();
    link->setText("link");
    link->PreSubclassWindow();
    Click(*link);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StartLog().size() == 1; }, kDeadlineMs));
    link.reset();
    ASSERT_NO_FATAL_FAILURE(OpenGate());
    // The opener's process goes once its end has been handled.
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QCoreApplication::instance()->findChildren<QProcess*>().isEmpty(); },
        kDeadlineMs));
    EXPECT_TRUE(m_messages.empty());
}

TEST(LinkLabel, PreparedControlShowsItsTarget) {
    QWidget dialog;
    CLinkLabel link(&dialog);
    link.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link.setGeometry(20, 30, 300, 40);
    link.SetTarget("https://quietbell.example.org/");
    link.PreSubclassWindow();
    EXPECT_EQ(link.text(), "https://quietbell.example.org/") << "empty text shows the target";
    EXPECT_EQ(link.toolTip(), link.Target());
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    const QSize extent = QFontMetrics(link.font()).size(Qt::TextSingleLine, link.text());
    EXPECT_EQ(link.geometry(), QRect(QPoint(20, 30), extent)) << "top-left kept, exact extent";
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
}

TEST(LinkLabel, HoverColoursAtOnceAndLeavingRestores) {
    CLinkLabel link;
    link.setText("link");
    link.PreSubclassWindow();
    const QColor highlight = link.palette().color(QPalette::Highlight);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&link, &move);
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), highlight);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&link, &leave);
    EXPECT_FALSE(link.IsHovering());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
    EXPECT_EQ(link.Target(), "link") << "a control without target opens its text";
}

class AboutBoxLinks : public LinkOpening {};

TEST_F(AboutBoxLinks, MailLinkHandsOverSubjectAndBody) {
    Opener(0);
    CAboutBox about;
    EXPECT_EQ(about.windowTitle(), "About Quietbell");
    auto* mail = about.findChild<CLinkLabel*>("1009");
    auto* web = about.findChild<CLinkLabel*>("1010");
    ASSERT_TRUE(mail && web);
    EXPECT_EQ(mail->text(), "support@quietbell.example.org");
    EXPECT_EQ(web->Target(), "https://quietbell.example.org/");
    Click(*mail);
    ASSERT_TRUE(WaitForAnswer(*mail));
    EXPECT_EQ(Arguments(Record()), QStringList{"mailto:support@quietbell.example.org"
                                               "?subject=Register&body=Jazak%20Allah%20Khyran"});
}

TEST(AboutBox, AnimatesItsPictureAndStopsOnDestruction) {
    auto about = std::make_unique<CAboutBox>();
    auto* picture = about->findChild<CGifPlayer*>("1049");
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->IsAnimated()) << "Data/AnimatedFree.gif beside the test";
    EXPECT_TRUE(picture->IsAnimating());
    EXPECT_EQ(picture->size(), QSize(48, 36));
    about.reset();
}

TEST(AboutBox, EscapeAndOkEndTheDialog) {
    const ModalDeadline deadline;
    CAboutBox about;
    QTimer::singleShot(0, &about, [&] { QTest::keyClick(&about, Qt::Key_Escape); });
    EXPECT_EQ(about.exec(), QDialog::Rejected);
    CAboutBox again;
    QTimer::singleShot(0, &again, [&] { again.findChild<QPushButton*>("IDOK")->click(); });
    EXPECT_EQ(again.exec(), QDialog::Accepted);
}

}  // namespace
