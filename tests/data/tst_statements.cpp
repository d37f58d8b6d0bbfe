// Every statement form the windows send, run word for word (values bound where the windows put
// a value) against fresh master and book databases, with what each returns or stores.

#include "data/appcontext.h"
#include "data/database.h"
#include "data/schema.h"
#include "testenv.h"

#include <QTest>

using namespace kl;

namespace {

struct Step {
    QString sql;
    QVariantList params = {};
    // A select's rows, fields by their text form joined with '|', rows with ';'; nullptr for a
    // statement that returns no rows.
    const char* rows = nullptr;
};
using Steps = std::vector<Step>;

Steps operator+(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An edit window stores a changed record one column at a time: `form` has %1 for the column.
Steps updates(const char* form, const char* id,
              const std::vector<std::pair<QString, QString>>& set) {
    Steps out;
    for (const auto& [column, value] : set)
        out.push_back({QString::fromUtf8(form).arg(column), {value, id}});
    return out;
}

void runSteps(Database& db, const Steps& steps) {
    for (const Step& s : steps) {
        try {
            if (!s.rows) {
                db.execute(s.sql, s.params);
                continue;
            }
            QStringList rows;
            for (Recordset rs = db.openRecordset(s.sql, s.params); !rs.eof(); rs.moveNext()) {
                QStringList fields;
                for (int c = 0; c < rs.fieldCount(); ++c)
                    fields << rs.text(rs.fieldName(c));
                rows << fields.join('|');
            }
            QVERIFY2(rows.join(';') == QString::fromUtf8(s.rows),
                     qPrintable(s.sql + "\n   got: " + rows.join(';') + "\n  want: " + s.rows));
        } catch (const DbError& e) {
            QFAIL(qPrintable(QStringLiteral("%1\n  error %2: %3")
                                 .arg(s.sql)
                                 .arg(e.number())
                                 .arg(e.description())));
        }
    }
}

Database book(const QString& kind, const char* id) {
    const QString path = context().bookPath(bookFileName(kind, id));
    schema::ensureBookDatabase(path, kind);
    return Database::open(path);
}

}  // namespace

class TestStatements : public QObject {
    Q_OBJECT

  private slots:
    void master() {
        test::TempProgramFolder folder;
        schema::ensureMasterDatabase(context().masterPath());
        Database db = Database::open(context().masterPath());
        // clang-format off
        const char* ins = "insert into svetvrtke(ime,mb,sifradj,to,ziroracun,posta,mjesto,ulica,telefon,kontakt)values"
                          "(?,?,?,?,?,?,?,?,?,?)";
        const char* insBook = "insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)values(?,?,?,?)";
        runSteps(db, Steps{
            {"select * from svetvrtke order by ime asc", {}, ""},
            {"select * from dodajknjige order by nazivvrste asc", {}, "2|Proizvodnja;1|Skladiste"},
            {ins, {"Žitar d.o.o.", "-", "-", "T", "-", "10000", "Zagreb", "Ilica 1", "-", "-"}},
            {ins, {"Cvjećarna", "123", "01", "O", "2360000", "21000", "Split", "Riva 2", "021", "Ana"}},
            {ins, {"Čokolada", "-", "-", "T", "-", "-", "-", "-", "-", "-"}},
            {"select * from svetvrtke order by ime asc", {},
             "2|Cvjećarna|123|01|O|2360000|21000|Split|Riva 2|021|Ana;"
             "3|Čokolada|-|-|T|-|-|-|-|-|-;1|Žitar d.o.o.|-|-|T|-|10000|Zagreb|Ilica 1|-|-"},
            {"update svetvrtke set ime='Žitar d.d.'where cstr(id)='1'"},
        } + updates("update svetvrtke set %1=?where cstr(id)=?", "1", {
            {"ime", "Žitar"}, {"mb", "111"}, {"sifradj", "22"}, {"to", "O"}, {"ziroracun", "333"}, {"posta", "44"},
            {"mjesto", "Osijek"}, {"ulica", "Trg 5"}, {"telefon", "031"}, {"kontakt", "Ivo"}}) + Steps{
            {"select * from svetvrtke where cstr(id)='1'", {}, "1|Žitar|111|22|O|333|44|Osijek|Trg 5|031|Ivo"},
            {"select id from svetvrtke", {}, "1;2;3"}, {insBook, {"1", "Glavno skladište", "Skladiste", "Ilica 1"}},
            {"insert into otvoreneknjige(idtvrtke,nazivknjige,vrstaknjige,adresa)values('12','Pogon','Proizvodnja','-')"},
            {insBook, {"120", "Tuđe", "Skladiste", "-"}}, {insBook, {"1", "Alati", "Skladiste", "-"}},
            {"select *  from otvoreneknjige where idtvrtke like  '12'", {}, "2|12|Pogon|Proizvodnja|-"},
            {"select *  from otvoreneknjige where idtvrtke like  ?", {"1"},
             "1|1|Glavno skladište|Skladiste|Ilica 1;4|1|Alati|Skladiste|-"},
        } + updates("update otvoreneknjige set %1=?where cstr(id)=?", "1", {
            {"nazivknjige", "Skladište A"}, {"adresa", "Ilica 3"}}) + Steps{
            {"select id from otvoreneknjige where cstr(id) like '1'", {}, "1"},
            {"select id from otvoreneknjige where cstr(id) like ?", {"01"}, ""},
            {"select nazivknjige,vrstaknjige,idtvrtke,id  from otvoreneknjige where vrstaknjige like 'Skladiste'", {},
             "Skladište A|Skladiste|1|1;Tuđe|Skladiste|120|3;Alati|Skladiste|1|4"},
            {"select nazivknjige,vrstaknjige,idtvrtke,id  from otvoreneknjige where vrstaknjige like ? "
             "and idtvrtke like ? order by nazivknjige asc", {"Skladiste", "1"},
             "Alati|Skladiste|1|4;Skladište A|Skladiste|1|1"},
            {"select * from otvoreneknjige where cstr(id) like ?", {"4"}, "4|1|Alati|Skladiste|-"},
        });
        // clang-format on
    }

    void warehouse() {
        test::TempProgramFolder folder;
        Database db = book(kWarehouseKind, "7");
        // clang-format off
        const char* insArt = "insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,vrijednost,proscijena)"
                             "values(?,?,?,?,?,?,?,?)";
        const char* insKd = "insert into kd(kd,ime,mb,ziroracun,mjesto,ulica,telefon,kontakt)values(?,?,?,?,?,?,?,?)";
        const char* insLine = "insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)values(?,?,?,?,?)";
        const char* header = "select id,pi,brojpi,datumpi,dokument,brojdok,datumdok from pi where cstr(id) like ?";
        runSteps(db, Steps{
            {"select * from kd", {}, "1|k|Proizvodnja||||||"},
            {insArt, {"A1", "", "Brašno", "kg", "5,00", "0", "0", "0"}},
            {insArt, {"a1", "385", "Šećer", "kg", "0,00", "0", "0", "0"}},
            {insArt, {"B2", "", "Čavli", "kom", "10,50", "0", "0", "0"}},
            {"insert into artikli(sifra,barkod,naziv,jedmjere,minkolicina,stanje,vrijednost,proscijena)values"
             "('C3','','Ulje','l','0,00','0','0','0')"},
            {"select id,sifra,naziv from artikli order by naziv asc", {}, "1|A1|Brašno;3|B2|Čavli;2|a1|Šećer;4|C3|Ulje"},
            {"select sifra,barkod from artikli", {}, "A1|;a1|385;B2|;C3|"},
        } + updates("update artikli set %1=? where cstr(id)=?", "4", {
            {"sifra", "C4"}, {"barkod", "999"}, {"naziv", "Ulje suncokretovo"}, {"jedmjere", "lit"},
            {"minkolicina", "2,50"}}) + Steps{
            {"select id,sifra,barkod,naziv,jedmjere,minkolicina from artikli where cstr(id)='4'", {},
             "4|C4|999|Ulje suncokretovo|lit|2,5"},
            {insKd, {"d", "Dobavljač d.o.o.", "1", "2", "Zagreb", "Ulica 1", "01", "Pero"}},
            {insKd, {"s", "Oboje", "-", "-", "-", "-", "-", "-"}}, {insKd, {"K", "Kupac", "-", "-", "-", "-", "-", "-"}},
            {"select id,kd,ime from kd where kd like 'd*' or kd like 's*'", {}, "2|d|Dobavljač d.o.o.;3|s|Oboje"},
            {"select id,kd,ime from kd where kd like 'k*' or kd like 's*'", {}, "1|k|Proizvodnja;3|s|Oboje;4|K|Kupac"},
            {"select * from kd order by ime asc", {},
             "2|d|Dobavljač d.o.o.|1|2|Zagreb|Ulica 1|01|Pero;4|K|Kupac|-|-|-|-|-|-;"
             "3|s|Oboje|-|-|-|-|-|-;1|k|Proizvodnja||||||"},
        } + updates("update kd set %1=? where cstr(id)=?", "4", {
            {"kd", "k"}, {"ime", "Kupac d.d."}, {"mb", "9"}, {"ziroracun", "8"}, {"mjesto", "Rijeka"},
            {"ulica", "Korzo"}, {"telefon", "051"}, {"kontakt", "Iva"}}) + Steps{
            {"select id,kd,ime from kd where kd like ? or kd like ?", {"K", "S"}, "1|k|Proizvodnja;3|s|Oboje;4|k|Kupac d.d."},
            {"select * from kd where kd like ? or kd like ? order by ime asc", {"d", "s"},
             "2|d|Dobavljač d.o.o.|1|2|Zagreb|Ulica 1|01|Pero;3|s|Oboje|-|-|-|-|-|-"},
            {"insert into dokumenti(dokument)values(?)", {"Račun"}}, {"insert into dokumenti(dokument)values('Otpremnica')"},
            {"select dokument from dokumenti order by dokument asc", {}, "Otpremnica;Račun"},
            {"select id,sifra,naziv,stanje,proscijena from artikli where sifra  like ?", {"a1"}, "1|A1|Brašno|0|0;2|a1|Šećer|0|0"},
            {"select pi from pi where pi like 'P*'", {}, ""},
            {"select id,ime from kd where ime like ?", {"dobavljač d.o.o."}, "2|Dobavljač d.o.o."},
            {"select * from dokumenti where dokument like ?", {"Račun"}, "1|Račun"},
            // A receipt: header, stock updates, header id read-back, lines.
            {"insert into pi(pi,brojpi,datumpi,dokument,brojdok,datumdok,idkd)values(?,?,?,?,?,?,?)",
             {"P", "1", "05.12.2026", "1", "R-77", "04.12.2026", "2"}},
            {"select * from artikli where cstr(id) like ?", {"1"}, "1|A1||Brašno|kg|5|0|0|0"},
        } + updates("update artikli set %1=? where cstr(id)=?", "1", {
            {"stanje", "14"}, {"vrijednost", "37"}, {"proscijena", "2,64"}}) + Steps{
            {"update artikli set stanje='3' where cstr(id)='3'"},
            {"update artikli set vrijednost='1234567,89' where cstr(id)='3'"},
            {"select id from pi", {}, "1"}, {insLine, {"1", "1", "2", "10,00", "2,50"}},
            {"insert into ulazizlaz(idartikla,idpi,idkd,kolicina,cijena)values('3','1','2','3,00','1,25')"},
            // An issue.
            {"insert into pi(pi,brojpi,datumpi,idkd)values(?,?,?,?)", {"I", "1", "06.12.2026", "4"}},
            {insLine, {"1", "2", "4", "3,00", "2,64"}},
            {"select pi from pi where pi like 'P*'", {}, "P"}, {"select pi from pi where pi like 'I*'", {}, "I"},
            {header, {"2"}, "2|I|1|06.12.2026|||"},
            {header, {"1"}, "1|P|1|05.12.2026|1|R-77|04.12.2026"},
            {"select sifra from artikli order by sifra asc", {}, "A1;a1;B2;C4"},
            {"select * from artikli order by naziv asc", {},
             "1|A1||Brašno|kg|5|14|37|2,64;3|B2||Čavli|kom|10,5|3|1234567,89|0;"
             "2|a1|385|Šećer|kg|0|0|0|0;4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select * from artikli where cstr(stanje) like '0'", {},
             "2|a1|385|Šećer|kg|0|0|0|0;4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select * from artikli where stanje < minkolicina", {},
             "3|B2||Čavli|kom|10,5|3|1234567,89|0;4|C4|999|Ulje suncokretovo|lit|2,5|0|0|0"},
            {"select idartikla,idpi,kolicina,cijena from ulazizlaz where idartikla like ?", {"1"}, "1|1|10|2,5;1|2|3|2,64"},
            {"select id,idartikla,idpi,kolicina,cijena from ulazizlaz", {}, "1|1|1|10|2,5;2|3|1|3|1,25;3|1|2|3|2,64"},
            {"select * from dokumenti where cstr(id) like ?", {"0"}, ""},
            {"select id,pi,brojpi,idkd,dokument from pi  where pi like 'P' and  cstr(brojpi)  like '1'", {}, "1|P|1|2|1"},
            {"select id,pi,brojpi,idkd from pi  where pi like ? and  cstr(brojpi)  like ?", {"I", "1"}, "2|I|1|4"},
            {"select idkd,brojpi,pi,id,dokument from pi where pi like ? and cstr(idkd) like ?", {"P", "2"}, "2|1|P|1|1"},
            {"select pi,brojpi,datumpi,brojdok,datumdok  from pi  where pi like ? and  cstr(brojpi)  like ?", {"P", "1"},
             "P|1|05.12.2026|R-77|04.12.2026"},
            {"select id,pi,brojpi,idkd,datumpi,dokument from pi  where pi like 'P'  And datumpi<= #2026/12/05#  "
             "and datumpi>= #2026/12/05#", {}, "1|P|1|2|05.12.2026|1"},
            {"select pi,brojpi,datumpi,brojdok,datumdok  from pi  where pi like 'P'  And datumpi<= #2026/12/04#  "
             "and datumpi>= #2026/01/01#", {}, ""},
            {"select pi,brojpi,datumpi  from pi  where pi like 'I'  And datumpi<= ?  and datumpi>= ?",
             {QDate(2026, 12, 6), QDate(2026, 12, 6)}, "I|1|06.12.2026"},
            {"select idpi,idartikla,kolicina,cijena from ulazizlaz where cstr(idpi) like ?", {"1"}, "1|1|10|2,5;1|3|3|1,25"},
            {"select id,ime from kd where ime like 'Proizvodnja'", {}, "1|Proizvodnja"},
        });
        // clang-format on
    }

    void production() {
        test::TempProgramFolder folder;
        Database db = book(kProductionKind, "8");
        // clang-format off
        const char* insBill = "insert into sastojci(idartikla,kolicina,cijena,idproizvoda,idskladista)values(?,?,?,?,?)";
        const char* insCost = "insert into troskovi(idrn,nazivskladista,izdatnicabr,iznos)values(?,?,?,?)";
        const char* order = "select * from radninalozi where cstr(brojrn) like ?";
        runSteps(db, Steps{
            {"select * from proizvodi order by naziv asc", {}, ""},
            {"insert into proizvodi(naziv,sifra,barkod,jedmjere)values(?,?,?,?)", {"Kruh", "P1", "", "kom"}},
            {"insert into proizvodi(naziv,sifra,barkod,jedmjere)values('Čaj','P2','123','kut')"},
            {"select id from proizvodi", {}, "1;2"},
            {"select sifra,naziv,barkod from proizvodi", {}, "P1|Kruh|;P2|Čaj|123"},
            {insBill, {"1", "4,00", "1,20", "1", "7"}}, {insBill, {"2", "0,50", "3,00", "1", "9"}},
            {"select * from proizvodi where cstr(id) like ?", {"2"}, "2|P2|123|Čaj|kut"},
            {"select * from sastojci where cstr(idproizvoda) like ?", {"1"}, "1|1|1|7|4|1,2;2|2|1|9|0,5|3"},
            {"select sifra,naziv,barkod from proizvodi where cstr(id) <> ?", {"1"}, "P2|Čaj|123"},
        } + updates("update proizvodi set %1=?where cstr(id)=?", "2", {
            {"sifra", "P3"}, {"naziv", "Čaj od mente"}, {"barkod", ""}, {"jedmjere", "kom"}}) + Steps{
            {"select * from proizvodi order by naziv asc", {}, "2|P3||Čaj od mente|kom;1|P1||Kruh|kom"},
            {"select naziv from proizvodi", {}, "Kruh;Čaj od mente"},
            {"select id,naziv from proizvodi where naziv like ?", {"kruh"}, "1|Kruh"},
            {"select id,naziv from proizvodi where cstr(id) like ?", {"1"}, "1|Kruh"},
            {"insert into radninalozi(brojrn,datumotv,datumzatv,idproizvoda,kolicinaproizvoda,trosakmat,trosakrada,"
             "trosakusluga,ostali1,ostali2,ostali3)values(?,?,?,?,?,?,?,?,?,?,?)",
             {"1", "01.12.2026", "05.12.2026", "1", "2,50", "16,20", "10,00", "0,00", "0,00", "0,00", "1,50"}},
            {"select id,brojrn from radninalozi where  cstr(brojrn) like ?", {"1"}, "1|1"},
            {insCost, {"1", "Glavno skladište", "1", "12,00"}}, {insCost, {"1", "Drugo", "4", "4,2"}},
            {"select idproizvoda from radninalozi where idproizvoda like ?", {"1"}, "1"},
            {order, {"1"}, "1|1|01.12.2026|05.12.2026|1|2,5|16,2|10|0|0|0|1,5"},
            {"select * from troskovi where cstr(idrn) like ?", {"1"}, "1|1|Glavno skladište|1|12;2|1|Drugo|4|4,2"},
        } + updates("update radninalozi set %1=? where cstr(id)=?", "1", {
            {"datumotv", "02.12.2026"}, {"datumzatv", "06.12.2026"}, {"trosakrada", "11,00"}, {"trosakusluga", "1,00"},
            {"ostali1", "2,00"}, {"ostali2", "3,00"}, {"ostali3", "4,00"}}) + Steps{
            {order, {"1"}, "1|1|02.12.2026|06.12.2026|1|2,5|16,2|11|1|2|3|4"},
            {"select idproizvoda from sastojci where idproizvoda like ?", {"1"}, "1;1"},
            {"select id from sastojci where cstr(id) like ?", {"2"}, "2"},
        });
        // clang-format on
        if (QTest::currentTestFailed()) return;

        // Rows removed through a recordset, as the product window deletes bill lines and products.
        db.openRecordset("select id from sastojci where cstr(id) like ?", {"2"}).deleteCurrent();
        Recordset rs =
            db.openRecordset("select idproizvoda from sastojci where idproizvoda like ?", {"1"});
        for (; !rs.eof(); rs.moveNext())
            rs.deleteCurrent();
        db.openRecordset("select id from proizvodi where cstr(id) like ?", {"1"}).deleteCurrent();
        runSteps(db, {{"select * from sastojci", {}, ""}, {"select id from proizvodi", {}, "2"}});
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
