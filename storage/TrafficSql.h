#pragma once
// The SQL of the traffic kept in data.db beside the records, from version 5 on: taken by a
// file only when the traffic is first counted, so a file whose user counts time alone stays
// at version 4, byte for byte.

#include <string>

namespace TrafficSql {

// The bytes of each record (a record stored before the traffic was counted has none), those
// of the open segment so far, and each day's, kept by triggers in the record's transaction.
// A record deleted takes its bytes with it, from its day as well.
inline std::string Schema() {
    return "CREATE TABLE session_volume(id INTEGER PRIMARY KEY, Rx INTEGER NOT NULL, "
           "Tx INTEGER NOT NULL); "
           "CREATE TABLE open_volume(id INTEGER PRIMARY KEY CHECK (id = 1), Rx INTEGER NOT NULL, "
           "Tx INTEGER NOT NULL); "
           "CREATE TABLE day_volume(Data TEXT PRIMARY KEY, Rx INTEGER NOT NULL, "
           "Tx INTEGER NOT NULL) WITHOUT ROWID; "
           "CREATE TRIGGER session_volume_added AFTER INSERT ON session_volume BEGIN "
           "INSERT INTO day_volume(Data, Rx, Tx) SELECT Data, NEW.Rx, NEW.Tx FROM session "
           "WHERE id = NEW.id ON CONFLICT(Data) DO UPDATE SET Rx = Rx + excluded.Rx, "
           "Tx = Tx + excluded.Tx; END; "
           "CREATE TRIGGER session_volume_removed AFTER DELETE ON session BEGIN "
           "UPDATE day_volume SET Rx = Rx - (SELECT Rx FROM session_volume WHERE id = OLD.id), "
           "Tx = Tx - (SELECT Tx FROM session_volume WHERE id = OLD.id) "
           "WHERE Data = OLD.Data AND EXISTS (SELECT 1 FROM session_volume WHERE id = OLD.id); "
           "DELETE FROM session_volume WHERE id = OLD.id; END; "
           "CREATE TRIGGER session_volume_moved AFTER UPDATE OF Data ON session "
           "WHEN OLD.Data IS NOT NEW.Data BEGIN "
           "UPDATE day_volume SET Rx = Rx - (SELECT Rx FROM session_volume WHERE id = OLD.id), "
           "Tx = Tx - (SELECT Tx FROM session_volume WHERE id = OLD.id) "
           "WHERE Data = OLD.Data AND EXISTS (SELECT 1 FROM session_volume WHERE id = OLD.id); "
           "INSERT INTO day_volume(Data, Rx, Tx) SELECT NEW.Data, Rx, Tx FROM session_volume "
           "WHERE id = NEW.id ON CONFLICT(Data) DO UPDATE SET Rx = Rx + excluded.Rx, "
           "Tx = Tx + excluded.Tx; END";
}

// A record's bytes beside its other columns, NULL for one that has none.
inline const std::string RowVolume = "(SELECT Rx FROM session_volume v WHERE v.id = session.id), "
                                     "(SELECT Tx FROM session_volume v WHERE v.id = session.id)";

} // namespace TrafficSql
