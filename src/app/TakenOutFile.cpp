#include "TakenOutFile.h"

#include <QDir>
#include <QFile>

TakenOutFile::~TakenOutFile() {
    if (m_holders > 0)
        remove();
}

void TakenOutFile::hold() {
    if (m_holders++ == 0)
        m_path = QDir::current().absoluteFilePath(Name);
}

void TakenOutFile::release() {
    if (m_holders > 0 && --m_holders == 0)
        remove();
}

void TakenOutFile::remove() const {
    QFile::remove(m_path);
}
