#include "recordkeeping/runrecord.h"

namespace
{

// Nothing to write is no failure.
RecordFile::SaveResult nothingSaved()
{
    RecordFile::SaveResult result;
    result.ok = true;
    return result;
}

} // namespace

void RunRecord::begin(const QString &path)
{
    m_path = path;
    m_end.reset();
    m_committed = RecordFile::SavedImage();
}

RecordFile::SaveResult RunRecord::save(const std::optional<Score> &score)
{
    if (!score || m_path.isEmpty()) {
        return nothingSaved();
    }
    if (!m_end) {
        m_end = write(*score);
        // Once the end is saved there is nothing left to take back.
        m_committed = RecordFile::SavedImage();
    }
    return *m_end;
}

RecordFile::SaveResult RunRecord::commit(const std::optional<Score> &score)
{
    if (!score || m_path.isEmpty() || m_end) {
        return nothingSaved();
    }
    const RecordFile::SaveResult saved = write(*score);
    if (saved.ok) {
        m_committed = saved.image;
    }
    return saved;
}

RecordFile::SaveResult RunRecord::write(const Score &score)
{
    const RecordFile::SaveResult saved =
        RecordFile::saveRun(m_path, score.correct, score.wrong, score.rate, score.speed,
                            m_committed.valid ? &m_committed : nullptr);
    if (m_written) {
        m_written(saved);
    }
    return saved;
}
