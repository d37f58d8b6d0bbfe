#pragma once
// Reversal ("storno") of a posted receipt or issue, without windows. The reversal is a new
// document of the same kind, numbered like any other, with the lines of the original and their
// quantities and amounts negated, so that it takes back exactly what the original did (its own
// amounts, not today's average price); the stock rule then recomputes the average price. The
// original stays as it was. The pair is recorded in the program's own table kl_storna with the
// note "Storno primke br. 12" / "Storno izdatnice br. 12" (a receipt also carries "Storno 12"
// as its supplier document number). Everything happens in one transaction.
//
// Refused, with the reason in Croatian: a document that does not exist, one already reversed,
// a reversal itself, one side of a transfer between books (transfer.h: it goes back by a
// transfer the other way), an issue to the cost centre "Proizvodnja" (a work order's issue
// note, which goes with its work order), and a receipt whose goods have since left the
// warehouse (an article's stock or value would go below zero; the article is named).

#include "data/booklocation.h"
#include "warehouse/documents.h"

#include <QDate>
#include <QString>

namespace kl {

struct ReversalResult {
    QString refusal;  // empty when reversed
    int number = 0;   // the reversal's document number
    qint64 headerId = 0;
};

// Why document `number` of `kind` cannot be reversed now; empty when it can.
QString reversalRefusal(const BookLocation& book, DocumentKind kind, int number);

// Reverses it with the date `date`.
ReversalResult reverseDocument(const BookLocation& book, DocumentKind kind, int number,
                               const QDate& date);

// The note of a reversal: "Storno primke br. 12", "Storno izdatnice br. 12".
QString reversalNote(DocumentKind kind, int number);

}  // namespace kl
