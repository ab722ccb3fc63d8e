#pragma once

#include <QString>

// "$temp.dat", the file in the working directory into which a take out writes the taken-out
// bytes for the viewer or an application. It stays while anyone holds it (the take out
// itself, an application still running with it) and is deleted as soon as the last holder
// lets go, and at the latest when this object goes, at the end of the program.
class TakenOutFile {
public:
    static inline const QString Name = QStringLiteral("$temp.dat");

    TakenOutFile() = default;
    ~TakenOutFile();
    TakenOutFile(const TakenOutFile&) = delete;
    TakenOutFile& operator=(const TakenOutFile&) = delete;

    void hold();
    void release();

    // Holds the file for the length of a scope.
    class Hold {
    public:
        explicit Hold(TakenOutFile& file) : m_file(file) { m_file.hold(); }
        ~Hold() { m_file.release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        TakenOutFile& m_file;
    };

private:
    void remove() const;

    int m_holders = 0;
    // Where the file lies, fixed by the first holder: the working directory of that moment.
    QString m_path;
};
