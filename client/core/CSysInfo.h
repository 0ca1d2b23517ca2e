// CSysInfo: a short description of this computer for the attachments page:
// memory, system, disks and processor, one text each.
#pragma once

#include <QString>

class CSysInfo {
public:
    // "总内存=%ld(M),可用物理内存=%ld(M),总虚拟内存=%ld(M),可用虚拟内存%ld(M)";
    // virtual memory is memory and swap together.
    QString GetMemoryText() const;
    // The distribution's name, the kernel and "[major.minor]".
    QString GetOsText() const;
    // One piece per mounted disk, each ended by '^': local disks
    // "硬盘%s:,total,used,free,pct%,%s盘^", network file systems the same
    // after "远程系统", RAM disks "内存盘%s:|total|used|free|pct%|%s盘^"
    // (MiB; the mount point where the classic text had a drive letter).
    QString GetDiskText() const;
    // The processor's brand string.
    QString GetCpuText() const;
    // The four texts joined with "\n".
    QString Text() const;

    // One disk piece of a kind ("disk", "remote", "ram"); exposed for tests.
    static QString DiskPiece(const QString& kind, const QString& mount, long long totalMiB, long long freeMiB);
};
