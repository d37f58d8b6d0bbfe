#include "productionfixture.h"

#include <QTest>

class workordersTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(workordersTest)
#include "tst_workorders.moc"
