#include "warehouse/einvoice.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace kl::einvoice {

// The standard's own URN (OASIS UBL 2.1), the same for every schema of it.
QString ublNamespace(const char* schema) {
    return QStringLiteral("urn:oasis:names:specification:ubl:schema:xsd:") + QLatin1String(schema);
}

namespace {

const QString kInvoiceNs = ublNamespace("Invoice-2");
const QString kCreditNoteNs = ublNamespace("CreditNote-2");
const QString kCac = ublNamespace("CommonAggregateComponents-2");
const QString kCbc = ublNamespace("CommonBasicComponents-2");
const QString kExt = ublNamespace("CommonExtensionComponents-2");

constexpr int kMaxDepth = 64;

// The elements of the file as a tree (the extensions left out), each with its namespace, local
// name, attributes by local name, text and line.
struct Node {
    QString ns;
    QString name;
    std::vector<std::pair<QString, QString>> attributes;
    QString text;
    int line = 0;
    std::vector<Node> children;

    QString attribute(QLatin1String local) const {
        for (const auto& [k, v] : attributes)
            if (k == local) return v;
        return {};
    }
    const Node* child(const QString& space, QLatin1String local) const {
        for (const Node& c : children)
            if (c.name == local && c.ns == space) return &c;
        return nullptr;
    }
    std::vector<const Node*> all(const QString& space, QLatin1String local) const {
        std::vector<const Node*> found;
        for (const Node& c : children)
            if (c.name == local && c.ns == space) found.push_back(&c);
        return found;
    }
    QString value() const { return text.trimmed(); }
};

// A step of a path: "cac:Party" or "cbc:Name".
const Node* at(const Node* n, std::initializer_list<const char*> path) {
    for (const char* step : path) {
        if (!n) return nullptr;
        const QLatin1String s(step);
        const bool aggregate = s.startsWith(QLatin1String("cac:"));
        n = n->child(aggregate ? kCac : kCbc, QLatin1String(step + 4));
    }
    return n;
}
QString textAt(const Node* n, std::initializer_list<const char*> path) {
    const Node* found = at(n, path);
    return found ? found->value() : QString();
}

QString prefixed(const Node& n) {
    if (n.ns == kCac) return QStringLiteral("cac:") + n.name;
    if (n.ns == kCbc) return QStringLiteral("cbc:") + n.name;
    return n.name;
}

// Thrown inside the reader with the message for the clerk.
struct Refused {
    QString message;
};

[[noreturn]] void refuse(const QString& message) {
    throw Refused{message};
}

Node parseTree(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    Node root;
    std::vector<Node*> open;
    int skipping = 0;  // depth inside an element that is skipped whole
    bool rootSeen = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
                refuse(QStringLiteral("Datoteka sadrži deklaraciju vrste dokumenta (DTD, redak "
                                      "%1). E-račun je nema; datoteka se ne učitava.")
                           .arg(xml.lineNumber()));
            case QXmlStreamReader::EntityReference:
                refuse(QStringLiteral("Datoteka sadrži vlastiti entitet \"%1\" (redak %2); "
                                      "datoteka se ne učitava.")
                           .arg(xml.name().toString())
                           .arg(xml.lineNumber()));
            case QXmlStreamReader::StartElement: {
                if (skipping) {
                    ++skipping;
                    break;
                }
                if (xml.namespaceUri() == kExt && xml.name() == QLatin1String("UBLExtensions")) {
                    skipping = 1;
                    break;
                }
                if (int(open.size()) >= kMaxDepth)
                    refuse(QStringLiteral("Elementi datoteke ugniježđeni su dublje od %1 razina "
                                          "(redak %2); to nije e-račun.")
                               .arg(kMaxDepth)
                               .arg(xml.lineNumber()));
                Node* n;
                if (open.empty()) {
                    if (rootSeen)
                        refuse(QStringLiteral("Datoteka ima više korijenskih elemenata."));
                    rootSeen = true;
                    n = &root;
                } else {
                    open.back()->children.emplace_back();
                    n = &open.back()->children.back();
                }
                n->ns = xml.namespaceUri().toString();
                n->name = xml.name().toString();
                n->line = int(xml.lineNumber());
                for (const QXmlStreamAttribute& a : xml.attributes())
                    n->attributes.emplace_back(a.name().toString(), a.value().toString());
                open.push_back(n);
                break;
            }
            case QXmlStreamReader::EndElement:
                if (skipping) {
                    --skipping;
                    break;
                }
                if (!open.empty()) open.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (!skipping && !open.empty()) open.back()->text += xml.text();
                break;
            default:
                break;
        }
    }
    if (xml.hasError()) {
        if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            refuse(QStringLiteral("Datoteka je prekinuta: XML nije dovršen (redak %1).")
                       .arg(xml.lineNumber()));
        refuse(QStringLiteral("Datoteka nije ispravan XML (redak %1, stupac %2: %3).")
                   .arg(xml.lineNumber())
                   .arg(xml.columnNumber())
                   .arg(xml.errorString()));
    }
    if (!rootSeen) refuse(QStringLiteral("Datoteka je prazna ili nije XML."));
    return root;
}

QString where(const Node& n) {
    return QStringLiteral("%1, redak %2").arg(prefixed(n)).arg(n.line);
}

const Node& required(const Node& parent, std::initializer_list<const char*> path) {
    const Node* n = at(&parent, path);
    const bool aggregate = QLatin1String(*(path.end() - 1)).startsWith(QLatin1String("cac:"));
    if (!n || (!aggregate && n->value().isEmpty())) {
        QStringList names;
        for (const char* p : path)
            names << QLatin1String(p);
        refuse(QStringLiteral("U e-računu nema elementa %1 (u %2).")
                   .arg(names.join(QLatin1Char('/')), where(parent)));
    }
    return *n;
}

Decimal number(const Node& n) {
    const QString t = n.value();
    if (const auto d = parseDecimal(t)) return *d;
    if (t.contains(QLatin1Char(',')))
        refuse(QStringLiteral("Broj \"%1\" (%2) napisan je s decimalnim zarezom; e-račun "
                              "decimale odvaja točkom.")
                   .arg(t, where(n)));
    refuse(QStringLiteral("\"%1\" (%2) nije broj.").arg(t, where(n)));
}

std::optional<Decimal> optionalNumber(const Node* n) {
    if (!n || n->value().isEmpty()) return std::nullopt;
    return number(*n);
}

QDate date(const Node& n) {
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QString t = n.value();
    const QDate d = QDate::fromString(t, Qt::ISODate);
    if (!form.match(t).hasMatch() || !d.isValid())
        refuse(QStringLiteral("\"%1\" (%2) nije datum (očekuje se GGGG-MM-DD).").arg(t, where(n)));
    return d;
}

bool elevenDigits(const QString& s) {
    static const QRegularExpression digits(QStringLiteral("^\\d{11}$"));
    return digits.match(s).hasMatch();
}

Party supplierOf(const Node& root) {
    const Node& party = required(root, {"cac:AccountingSupplierParty", "cac:Party"});
    Party p;
    p.name = textAt(&party, {"cac:PartyName", "cbc:Name"});
    if (p.name.isEmpty()) p.name = textAt(&party, {"cac:PartyLegalEntity", "cbc:RegistrationName"});
    if (p.name.isEmpty())
        refuse(QStringLiteral("U e-računu nema naziva dobavljača (%1).").arg(where(party)));
    p.street = textAt(&party, {"cac:PostalAddress", "cbc:StreetName"});
    p.place = textAt(&party, {"cac:PostalAddress", "cbc:CityName"});
    p.postalCode = textAt(&party, {"cac:PostalAddress", "cbc:PostalZone"});
    if (const Node* e = at(&party, {"cbc:EndpointID"});
        e && e->attribute(QLatin1String("schemeID")) == QLatin1String("9934") &&
        elevenDigits(e->value()))
        p.oib = e->value();
    if (p.oib.isEmpty())
        for (const Node* scheme : party.all(kCac, QLatin1String("PartyTaxScheme"))) {
            const QString id = textAt(scheme, {"cbc:CompanyID"});
            if (id.startsWith(QLatin1String("HR")) && elevenDigits(id.mid(2))) {
                p.oib = id.mid(2);
                break;
            }
        }
    if (p.oib.isEmpty()) {
        const QString legal = textAt(&party, {"cac:PartyLegalEntity", "cbc:CompanyID"});
        if (elevenDigits(legal)) p.oib = legal;
    }
    for (const Node* means : root.all(kCac, QLatin1String("PaymentMeans"))) {
        p.iban = textAt(means, {"cac:PayeeFinancialAccount", "cbc:ID"});
        if (!p.iban.isEmpty()) break;
    }
    return p;
}

bool isServiceUnit(const QString& code) {
    // Hours, minutes, days, weeks, months, years, an activity, a lump sum, a service unit.
    static const QSet<QString> units = {
        QStringLiteral("HUR"), QStringLiteral("MIN"), QStringLiteral("DAY"),
        QStringLiteral("WEE"), QStringLiteral("MON"), QStringLiteral("ANN"),
        QStringLiteral("ACT"), QStringLiteral("LS"),  QStringLiteral("E48")};
    return units.contains(code);
}

Line lineOf(const Node& n, bool creditNote) {
    Line l;
    l.fileLine = n.line;
    l.id = required(n, {"cbc:ID"}).value();
    const Node& quantity =
        required(n, {creditNote ? "cbc:CreditedQuantity" : "cbc:InvoicedQuantity"});
    l.quantity = number(quantity);
    l.unitCode = quantity.attribute(QLatin1String("unitCode")).trimmed();
    l.lineAmount = number(required(n, {"cbc:LineExtensionAmount"}));
    const Node& item = required(n, {"cac:Item"});
    l.name = required(item, {"cbc:Name"}).value();
    l.gtin = textAt(&item, {"cac:StandardItemIdentification", "cbc:ID"});
    l.sellersId = textAt(&item, {"cac:SellersItemIdentification", "cbc:ID"});
    l.vatPercent = optionalNumber(at(&item, {"cac:ClassifiedTaxCategory", "cbc:Percent"}));
    if (const Node* price = at(&n, {"cac:Price"})) {
        if (const auto p = optionalNumber(at(price, {"cbc:PriceAmount"}))) l.price = *p;
        l.baseQuantity = optionalNumber(at(price, {"cbc:BaseQuantity"}));
    }
    l.kind = l.quantity.micros <= 0      ? LineKind::NotPositive
             : isServiceUnit(l.unitCode) ? LineKind::Service
                                         : LineKind::Goods;
    return l;
}

Document documentOf(const Node& root) {
    Document d;
    if (root.ns == kCreditNoteNs && root.name == QLatin1String("CreditNote"))
        d.creditNote = true;
    else if (root.ns != kInvoiceNs || root.name != QLatin1String("Invoice"))
        refuse(QStringLiteral("Datoteka nije UBL račun ni odobrenje: korijenski element je \"%1\" "
                              "(imenski prostor \"%2\").")
                   .arg(root.name, root.ns));
    d.customizationId = textAt(&root, {"cbc:CustomizationID"});
    if (!d.customizationId.contains(QLatin1String("urn:cen.eu:en16931:2017")))
        refuse(QStringLiteral("Datoteka nije e-račun po normi EN 16931 (cbc:CustomizationID je "
                              "\"%1\").")
                   .arg(d.customizationId));
    d.number = required(root, {"cbc:ID"}).value();
    d.issueDate = date(required(root, {"cbc:IssueDate"}));
    d.currency = required(root, {"cbc:DocumentCurrencyCode"}).value().toUpper();
    d.supplier = supplierOf(root);
    for (const Node* ac : root.all(kCac, QLatin1String("AllowanceCharge"))) {
        const QString indicator = required(*ac, {"cbc:ChargeIndicator"}).value();
        if (indicator != QLatin1String("true") && indicator != QLatin1String("false"))
            refuse(QStringLiteral("cbc:ChargeIndicator (%1) mora biti true ili false, a glasi "
                                  "\"%2\".")
                       .arg(where(*ac), indicator));
        d.allowancesCharges.push_back({indicator == QLatin1String("true"),
                                       number(required(*ac, {"cbc:Amount"})),
                                       textAt(ac, {"cbc:AllowanceChargeReason"})});
    }
    const Node& totals = required(root, {"cac:LegalMonetaryTotal"});
    d.lineTotal = number(required(totals, {"cbc:LineExtensionAmount"}));
    d.taxExclusive = number(required(totals, {"cbc:TaxExclusiveAmount"}));
    d.payable = optionalNumber(at(&totals, {"cbc:PayableAmount"}));
    for (const Node* l :
         root.all(kCac, QLatin1String(d.creditNote ? "CreditNoteLine" : "InvoiceLine")))
        d.lines.push_back(lineOf(*l, d.creditNote));
    if (d.lines.empty()) refuse(QStringLiteral("E-račun nema nijedne stavke."));
    return d;
}

// a * b / c rounded half away from zero, without overflow.
std::int64_t mulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
    const __int128 n = __int128(a) * b;
    const __int128 half = c / 2;
    const __int128 q = n >= 0 ? (n + half) / c : -((-n + half) / c);
    return std::int64_t(q);
}

// Rounded to two decimals.
Decimal cents(std::int64_t micros) {
    return {mulDiv(micros, 1, 10'000) * 10'000};
}

QString shown(Decimal d) {
    return decimalText(d).replace(QLatin1Char('.'), QLatin1Char(','));
}

}  // namespace

std::optional<Decimal> parseDecimal(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([+-]?)(\\d{1,12})(?:\\.(\\d{1,6}))?$"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    std::int64_t micros = m.captured(2).toLongLong() * Decimal::kScale;
    const QString fraction = m.captured(3).leftJustified(6, QLatin1Char('0'));
    micros += fraction.toLongLong();
    return Decimal{m.captured(1) == QLatin1String("-") ? -micros : micros};
}

QString decimalText(Decimal d) {
    const std::int64_t a = d.micros < 0 ? -d.micros : d.micros;
    QString fraction = QString::number(a % Decimal::kScale).rightJustified(6, QLatin1Char('0'));
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return (d.micros < 0 ? QStringLiteral("-") : QString()) + QString::number(a / Decimal::kScale) +
           QLatin1Char('.') + fraction;
}

ReadResult read(const QByteArray& xml) {
    ReadResult r;
    if (xml.size() > kMaxFileSize) {
        r.error = QStringLiteral("Datoteka je veća od 20 MB; e-račun nije tako velik.");
        return r;
    }
    if (xml.trimmed().isEmpty()) {
        r.error = QStringLiteral("Datoteka je prazna.");
        return r;
    }
    try {
        r.document = documentOf(parseTree(xml));
    } catch (const Refused& e) {
        r.error = e.message;
    }
    return r;
}

ReadResult readFile(const QString& path) {
    ReadResult r;
    QFile f(path);
    const QFileInfo info(path);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("Datoteku %1 nije moguće pročitati.").arg(info.fileName());
        return r;
    }
    if (f.size() > kMaxFileSize) {
        r.error = QStringLiteral("Datoteka %1 je veća od 20 MB; e-račun nije tako velik.")
                      .arg(info.fileName());
        return r;
    }
    return read(f.read(kMaxFileSize + 1));
}

QString bookUnit(const QString& unitCode) {
    const QString c = unitCode.trimmed().toUpper();
    if (c == QLatin1String("C62") || c == QLatin1String("H87") || c == QLatin1String("EA") ||
        c == QLatin1String("PCE"))
        return QStringLiteral("kom");
    if (c == QLatin1String("KGM")) return QStringLiteral("kg");
    if (c == QLatin1String("LTR")) return QStringLiteral("l");
    if (c == QLatin1String("MTR")) return QStringLiteral("m");
    return {};
}

QString totalsProblem(const Document& doc) {
    std::int64_t lines = 0, adjust = 0;
    for (const Line& l : doc.lines)
        lines += l.lineAmount.micros;
    for (const AllowanceCharge& ac : doc.allowancesCharges)
        adjust += ac.charge ? ac.amount.micros : -ac.amount.micros;
    QStringList problems;
    if (lines != doc.lineTotal.micros)
        problems << QStringLiteral(
                        "zbroj stavki %1 nije jednak ukupnom iznosu stavki %2 (razlika "
                        "%3)")
                        .arg(shown({lines}), shown(doc.lineTotal),
                             shown({lines - doc.lineTotal.micros}));
    if (doc.lineTotal.micros + adjust != doc.taxExclusive.micros)
        problems << QStringLiteral(
                        "iznos stavki s popustima i troškovima %1 nije jednak iznosu "
                        "bez PDV-a %2 (razlika %3)")
                        .arg(shown({doc.lineTotal.micros + adjust}), shown(doc.taxExclusive),
                             shown({doc.lineTotal.micros + adjust - doc.taxExclusive.micros}));
    if (problems.isEmpty()) return {};
    return QStringLiteral("Iznosi e-računa se ne slažu: ") + problems.join(QStringLiteral("; ")) +
           QLatin1Char('.');
}

Costing costLines(const Document& doc, const CostOptions& options) {
    Costing c;
    if (doc.currency != QLatin1String("EUR") && (!options.rate || options.rate->micros <= 0)) {
        c.error =
            QStringLiteral("Račun je u valuti %1: upišite tečaj (1 %1 = ? EUR).").arg(doc.currency);
        return c;
    }
    std::int64_t adjust = 0, goods = 0;
    for (const AllowanceCharge& ac : doc.allowancesCharges)
        adjust += ac.charge ? ac.amount.micros : -ac.amount.micros;
    std::vector<int> goodsLines;
    for (int i = 0; i < int(doc.lines.size()); ++i) {
        const Line& l = doc.lines[size_t(i)];
        if (l.kind == LineKind::Goods) {
            goodsLines.push_back(i);
            goods += l.lineAmount.micros;
        } else if (l.kind == LineKind::Service && size_t(i) < options.spreadServices.size() &&
                   options.spreadServices[size_t(i)]) {
            adjust += l.lineAmount.micros;
        }
    }
    if (goodsLines.empty()) {
        c.error = QStringLiteral("E-račun nema nijedne stavke robe za primku.");
        return c;
    }
    std::int64_t shared = 0;
    for (size_t k = 0; k < goodsLines.size(); ++k) {
        const Line& l = doc.lines[size_t(goodsLines[k])];
        std::int64_t share;
        if (k + 1 == goodsLines.size())
            share = adjust - shared;
        else if (goods != 0)
            share = mulDiv(adjust, l.lineAmount.micros, goods);
        else
            share = adjust / std::int64_t(goodsLines.size());
        shared += share;
        std::int64_t cost = l.lineAmount.micros + share;
        if (options.addVat && l.vatPercent)
            cost += mulDiv(cost, l.vatPercent->micros, 100 * Decimal::kScale);
        if (doc.currency != QLatin1String("EUR"))
            cost = mulDiv(cost, options.rate->micros, Decimal::kScale);
        const Decimal unit = cents(mulDiv(cost, Decimal::kScale, l.quantity.micros));
        c.lines.push_back({goodsLines[k], {cost}, unit});
        c.total.micros += cost;
        c.receiptTotal.micros +=
            cents(mulDiv(unit.micros, l.quantity.micros, Decimal::kScale)).micros;
    }
    return c;
}

}  // namespace kl::einvoice
