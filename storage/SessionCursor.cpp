#include "SessionStatements.h"
#include "Failure.h"
#include "TextForms.h"

#include <QDir>

void SessionTable::BindFilter(SqliteStatement& statement) const {
    if (filter_) {
        statement.Bind(1, filter_->first.toString(Qt::ISODate));
        statement.Bind(2, filter_->second.toString(Qt::ISODate));
    }
}

std::optional<SessionRow> SessionTable::Fetch(Seek seek, qint64 id) const {
    SqliteStatement& s = seek == Seek::First   ? St().first
                         : seek == Seek::Older ? St().older
                         : seek == Seek::Newer ? St().newer
                                               : St().exact;
    try {
        BindFilter(s);
        if (seek != Seek::First)
            s.Bind(3, id);
        std::optional<SessionRow> row;
        if (s.Step())
            row = SessionSql::ReadRow(s);
        s.Reset();
        return row;
    } catch (const SqliteError& error) {
        s.Reset();
        Fail(QStringLiteral("прочитать"), error);
    }
}

void SessionTable::SetCurrent(std::optional<SessionRow> row) {
    current_ = std::move(row);
    eof_ = !current_;
}

void SessionTable::First() {
    SetCurrent(Fetch(Seek::First, 0));
}

void SessionTable::Next() {
    if (!current_) {
        eof_ = true;
        return;
    }
    if (auto next = Fetch(Seek::Older, current_->id))
        current_ = std::move(next);
    else
        eof_ = true; // the last row stays current, as after any walk past the end
}

std::optional<qint64> SessionTable::CurrentId() const {
    return current_ ? std::optional<qint64>(current_->id) : std::nullopt;
}

void SessionTable::MoveTo(qint64 id) {
    if (auto row = Fetch(Seek::Exact, id))
        SetCurrent(std::move(row));
}

int SessionTable::FieldIndex(const QString& name) {
    for (int i = 0; i < FieldNames.size(); ++i)
        if (FieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw Failure(QStringLiteral("Field '%1' not found").arg(name));
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
        try {
            ReopenIfReplaced();
        } catch (const SqliteError& error) {
            Fail(QStringLiteral("открыть"), error);
        }
        throw Failure(QStringLiteral("Запись не удалена: файл «%1» был заменён во время работы "
                                     "программы. Список записей обновлён.")
                          .arg(QDir::toNativeSeparators(path_)));
    }
    const qint64 id = current_->id;
    const qint64 offset = OffsetOf(id);
    try {
        OwnTablesChanged();
    } catch (const SqliteError& error) {
        Fail(QStringLiteral("удалить запись из"), error);
    }
    Writes& w = Wr();
    try {
        SqliteTransaction transaction(db_);
        w.remove.Bind(1, id);
        w.remove.Run();
        transaction.Commit();
    } catch (const SqliteError& error) {
        w.remove.Reset();
        Fail(QStringLiteral("удалить запись из"), error);
    }
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
