#pragma once
// Errors of the database engine. Each carries a number (the numbers the windows test for, such
// as 3204 and 3021, and numbers of the same family for the others) and a Croatian description
// fit for the message box.

#include <QByteArray>
#include <QString>

#include <exception>

namespace kl {

namespace DbErrorCode {
constexpr int Generic = 3000;          // any other engine error
constexpr int NoCurrentRecord = 3021;  // move/read on an empty recordset or past its end
constexpr int FileNotFound = 3024;     // the database file does not exist
constexpr int DiskFull = 3026;         // no space left on the disk
constexpr int ReadOnly = 3027;         // the file or its folder cannot be written
constexpr int IoError = 3043;          // disk or file system error
constexpr int Corrupt = 3049;          // our database, but damaged
constexpr int Locked = 3050;           // the file is locked by another program
constexpr int CannotOpen = 3051;       // the file cannot be opened
constexpr int Interrupted = 3052;      // a statement ran away (a crafted or damaged file)
constexpr int NoSuchColumn = 3061;     // unknown column in a statement
constexpr int SyntaxError = 3075;      // a statement the engine does not understand
constexpr int NoSuchTable = 3078;      // unknown table
constexpr int TableExists = 3010;      // create table over an existing table
constexpr int TextTooLong = 3163;      // text longer than its column
constexpr int DatabaseExists = 3204;   // create over an existing file
constexpr int ItemNotFound = 3265;     // unknown field name in a recordset
constexpr int NotOurDatabase = 3343;   // the file is not a database of this program
constexpr int ForeignSchema = 3344;    // stamped as ours, but its tables, views, ... are not
constexpr int TypeMismatch = 3464;     // a value that does not fit the column's type
}  // namespace DbErrorCode

class DbError : public std::exception {
  public:
    DbError(int number, QString description);

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

  private:
    int number_;
    QString description_;
    QByteArray utf8_;
};

}  // namespace kl
