#include <QTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "playlist_view_test.moc"
