#include "productionfixture.h"

#include <QTest>

class frmproizvodiTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(frmproizvodiTest)
#include "tst_frmproizvodi.moc"
