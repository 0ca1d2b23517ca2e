#include "CSysInfo.h"

#include <QFile>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <cstring>

namespace {

QString ReadAll(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

// A value of /proc/meminfo in kB, -1 when absent.
long long MemInfoKb(const QString& text, const char* key) {
    for (const QString& line : text.split('\n')) {
        if (!line.startsWith(QLatin1String(key)) || line.mid(int(strlen(key)), 1) != ":") continue;
        return line.mid(int(strlen(key)) + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

}  // namespace

QString CSysInfo::GetMemoryText() const {
    struct sysinfo info;
    if (sysinfo(&info) != 0) return QString();
    const long long unit = info.mem_unit ? info.mem_unit : 1;
    const long long total = static_cast<long long>(info.totalram) * unit;
    long long available = static_cast<long long>(info.freeram) * unit;
    const long long kb = MemInfoKb(ReadAll("/proc/meminfo"), "MemAvailable");
    if (kb >= 0) available = kb * 1024;
    const long long totalVirtual = total + static_cast<long long>(info.totalswap) * unit;
    const long long freeVirtual = available + static_cast<long long>(info.freeswap) * unit;
    return QString::asprintf("总内存=%lld(M),可用物理内存=%lld(M),总虚拟内存=%lld(M),可用虚拟内存%lld(M)",
                             total >> 20, available >> 20, totalVirtual >> 20, freeVirtual >> 20);
}

QString CSysInfo::GetOsText() const {
    struct utsname names;
    if (uname(&names) != 0) return QString();
    QString pretty;
    for (const QString& line : ReadAll("/etc/os-release").split('\n')) {
        if (line.startsWith("PRETTY_NAME=")) {
            pretty = line.mid(12).trimmed();
            if (pretty.startsWith('"') && pretty.endsWith('"') && pretty.size() >= 2)
                pretty = pretty.mid(1, pretty.size() - 2);
        }
    }
    const QStringList version = QString::fromUtf8(names.release).split('.');
    QString text = pretty.isEmpty() ? QString() : pretty + ' ';
    text += QString::fromUtf8(names.sysname) + ' ' + QString::fromUtf8(names.release) + ' ';
    text += QStringLiteral("[%1.%2]").arg(version.value(0).toInt()).arg(version.value(1).toInt());
    return text;
}

QString CSysInfo::DiskPiece(const QString& kind, const QString& mount, long long totalMiB, long long freeMiB) {
    const long long used = totalMiB - freeMiB;
    // A disk of no size counts as empty.
    const long long percent = totalMiB > 0 ? used * 100 / totalMiB : 0;
    if (kind == "ram")
        return QStringLiteral("内存盘%1:|%2|%3|%4|%5%|%1盘^").arg(mount).arg(totalMiB).arg(used).arg(freeMiB).arg(percent);
    const QString prefix = kind == "remote" ? QStringLiteral("远程系统") : QStringLiteral("硬盘");
    return QStringLiteral("%1%2:,%3,%4,%5,%6%,%2盘^")
        .arg(prefix, mount)
        .arg(totalMiB)
        .arg(used)
        .arg(freeMiB)
        .arg(percent);
}

QString CSysInfo::GetDiskText() const {
    static const QSet<QString> local = {"ext2", "ext3", "ext4", "xfs", "btrfs", "vfat", "exfat",
                                        "ntfs", "ntfs3", "f2fs", "zfs", "jfs", "reiserfs", "overlay"};
    static const QSet<QString> remote = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"};
    QString text;
    QSet<QString> seen;
    for (const QString& line : ReadAll("/proc/self/mounts").split('\n')) {
        const QStringList fields = line.split(' ');
        if (fields.size() < 3) continue;
        // Blanks in mount points come octal-escaped.
        QString mount = fields[1];
        mount.replace("\\040", " ");
        const QString type = fields[2];
        QString kind;
        if (local.contains(type)) kind = "disk";
        else if (remote.contains(type)) kind = "remote";
        else if (type == "tmpfs" && (mount == "/tmp" || mount == "/dev/shm")) kind = "ram";
        else continue;
        if (seen.contains(mount)) continue;
        seen.insert(mount);
        struct statvfs st;
        if (statvfs(mount.toLocal8Bit().constData(), &st) != 0) continue;
        const long long block = st.f_frsize ? st.f_frsize : st.f_bsize;
        text += DiskPiece(kind, mount, static_cast<long long>(st.f_blocks) * block >> 20,
                          static_cast<long long>(st.f_bavail) * block >> 20);
    }
    return text;
}

QString CSysInfo::GetCpuText() const {
#if defined(__x86_64__) || defined(__i386__)
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0x80000000, &a, &b, &c, &d) && a >= 0x80000004) {
        char brand[49] = {0};
        for (unsigned int leaf = 0; leaf < 3; ++leaf) {
            unsigned int regs[4] = {0, 0, 0, 0};
            __get_cpuid(0x80000002 + leaf, &regs[0], &regs[1], &regs[2], &regs[3]);
            memcpy(brand + leaf * 16, regs, 16);
        }
        return QString::fromLatin1(brand).trimmed();
    }
#endif
    for (const QString& line : ReadAll("/proc/cpuinfo").split('\n'))
        if (line.startsWith("model name")) return line.mid(line.indexOf(':') + 1).trimmed();
    return QString();
}

QString CSysInfo::Text() const {
    return GetMemoryText() + '\n' + GetOsText() + '\n' + GetDiskText() + '\n' + GetCpuText();
}
