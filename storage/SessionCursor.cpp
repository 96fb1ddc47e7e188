// The session table's cursor, as the grid and its delete button use it: the current row,
// the date filter, the delete.
#include "Failure.h"
#include "SessionStatements.h"
#include "TextForms.h"

#include <QDir>

void SessionTable::BindFilter(SqliteStatement& statement) const {
    if (filter_) {
        statement.Bind(1, filter_->first.toString(Qt::ISODate));
        statement.Bind(2, filter_->second.toString(Qt::ISODate));
    }
}

std::optional<SessionRow> SessionTable::Fetch(Seek seek, qint64 id) const {
    Statements& read = ReadStatements();
    return file_.Guarded(QStringLiteral("прочитать"), [&] {
        SqliteStatement& s = seek == Seek::First   ? *read.first
                             : seek == Seek::Older ? *read.older
                             : seek == Seek::Newer ? *read.newer
                                                   : *read.exact;
        const StatementUse use(s);
        BindFilter(s);
        if (seek != Seek::First)
            s.Bind(3, id);
        return s.Step() ? std::optional<SessionRow>(SessionSql::ReadRow(s)) : std::nullopt;
    });
}

void SessionTable::SetCurrent(std::optional<SessionRow> row) {
    current_ = std::move(row);
}

void SessionTable::First() {
    SetCurrent(Fetch(Seek::First, 0));
}

std::optional<qint64> SessionTable::CurrentId() const {
    return current_ ? std::optional<qint64>(current_->id) : std::nullopt;
}

void SessionTable::MoveTo(qint64 id) {
    if (auto row = Fetch(Seek::Exact, id))
        SetCurrent(std::move(row));
}

int SessionTable::FieldIndex(const QString& name) {
    return FieldIndexIn(FieldNames, name);
}

QString SessionTable::FieldText(const QString& name) const {
    const int index = FieldIndex(name);
    if (!current_)
        return {};
    return current_->record.FieldText(index);
}

void SessionTable::DeleteCurrent() {
    if (!current_)
        throw Failure(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!StillTheOpenFile()) {
        // The row on screen belongs to the file that was there before: never delete a row of
        // another file by its number.
        file_.Guarded(QStringLiteral("открыть"), [this] { ReopenIfReplaced(); });
        throw Failure(QStringLiteral("Запись не удалена: файл «%1» был заменён во время работы "
                                     "программы. Список записей обновлён.")
                          .arg(QDir::toNativeSeparators(FilePath())));
    }
    const qint64 id = current_->id;
    const qint64 offset = OffsetOf(id);
    const QString action = QStringLiteral("удалить запись из");
    file_.Guarded(action, [this] { OwnTablesChanged(); });
    SqliteStatement& remove = WriteStatements().remove;
    file_.Guarded(action, [&] {
        const StatementUse use(remove);
        SqliteTransaction transaction(file_.Db());
        remove.Bind(1, id).Step();
        transaction.Commit();
    });
    // Deleted: nothing from here on may say otherwise.
    count_.reset();
    try {
        auto next = Fetch(Seek::Older, id);
        SetCurrent(next ? std::move(next) : Fetch(Seek::Newer, id));
    } catch (const Failure&) {
        SetCurrent(std::nullopt); // the view finds its row again at its next read
    }
    emit Removed(offset);
}

void SessionTable::SetDateFilter(const QDate& from, const QDate& to) {
    filter_ = std::make_pair(from, to);
    count_.reset();
    First();
    emit ViewChanged();
}

void SessionTable::ClearDateFilter() {
    const bool was = filter_.has_value();
    filter_.reset();
    count_.reset();
    if (was) {
        First();
        emit ViewChanged();
    }
}

QString SessionTable::FilterText() const {
    if (!filter_)
        return {};
    return QStringLiteral("data>='") + TextForms::DateText(filter_->first) + QStringLiteral("'") +
           QStringLiteral(" and data<=") + QStringLiteral("'") +
           TextForms::DateText(filter_->second) + QStringLiteral("'");
}
