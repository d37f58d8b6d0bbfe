#include "productionfixture.h"

#include <QTest>

class productsTest : public QObject {
    Q_OBJECT
};

QTEST_MAIN(productsTest)
#include "tst_products.moc"
