#include "reportfixture.h"

using namespace kl;
using namespace kl::test;

class Tst_frmpregleddnevnika : public ReportTest {
    Q_OBJECT
  private slots:
    void placeholder() {}
};

QTEST_MAIN(Tst_frmpregleddnevnika)
#include "tst_frmpregleddnevnika.moc"
