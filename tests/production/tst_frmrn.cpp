#include "productionfixture.h"

#include <QTest>

class frmrnTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(frmrnTest)
#include "tst_frmrn.moc"
