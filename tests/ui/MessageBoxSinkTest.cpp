#include "ui/ModalHooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace vantrel;

// The engine's messages as message boxes: the text stays as it is, the place of the script or
// template line goes under "Show details".
class MessageBoxSinkTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ModalHooks::setScripted(false); }

    void placeGoesInTheDetails();
    void messageWithoutPlaceHasNoDetails();
    void shownBoxCarriesTheDetailedText();
};

void MessageBoxSinkTest::placeGoesInTheDetails() {
    ModalHooks::setScripted(true);
    MessageBoxSink sink;
    reportError(sink, MessagePlace{"tpl/plugin.tpl", 12}, ErrorKind::ERR_TEMPLATE, "main",
                "Demo.cpp");
    QCOMPARE(ModalHooks::takeMessages(), QStringList{"Error in Template File:\nmain\nDemo.cpp"});
    QCOMPARE(ModalHooks::takeDetails(), QStringList{"In tpl/plugin.tpl, line 12."});
}

void MessageBoxSinkTest::messageWithoutPlaceHasNoDetails() {
    ModalHooks::setScripted(true);
    MessageBoxSink sink;
    reportError(sink, MessagePlace{}, ErrorKind::ERR_SCRIPT_OPEN, "kel.vts");
    QCOMPARE(ModalHooks::takeMessages(), QStringList{"Open file error:\nkel.vts"});
    QVERIFY(ModalHooks::takeDetails().isEmpty());
}

void MessageBoxSinkTest::shownBoxCarriesTheDetailedText() {
    QString text;
    QString details;
    // The box is modal: look at it once it is up, then close it.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        text = box->text();
        details = box->detailedText();
        box->accept();
    });
    MessageBoxSink sink;
    reportError(sink, MessagePlace{"kel.vts", 3}, ErrorKind::ERR_ASSERT, "Line::CREATE_PANEL");
    QCOMPARE(text, QString("ASSERT:\nObject must be defined:\nLine::CREATE_PANEL"));
    QCOMPARE(details, QString("In kel.vts, line 3."));
}

QTEST_MAIN(MessageBoxSinkTest)
#include "MessageBoxSinkTest.moc"
