#!/bin/sh
# Starts a Slurm cluster of one node, this machine, with munge for its authentication: to try
# velmora-campaign submit without a cluster, and for the continuous integration's test of it.
# Needs root and Debian's slurm-wlm and munge (install-dependencies.sh slurm installs them).
# Writes /etc/slurm/slurm.conf; waits until the node takes jobs, at most a minute.
set -eu

host=$(hostname -s)
cpus=$(nproc)
memory=$(awk '/^MemTotal:/ { print int($2 / 1024) }' /proc/meminfo)

mkdir -p /etc/slurm /var/spool/slurmctld /var/spool/slurmd /var/log/slurm /run/munge
chown munge:munge /run/munge
[ -s /etc/munge/munge.key ] || /usr/sbin/mungekey --create --force
chown munge:munge /etc/munge/munge.key
chmod 400 /etc/munge/munge.key

# No cgroups and no accounting: they need a system manager that containers lack.
cat > /etc/slurm/slurm.conf <<CONF
ClusterName=velmora
SlurmctldHost=$host(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
MpiDefault=none
StateSaveLocation=/var/spool/slurmctld
SlurmdSpoolDir=/var/spool/slurmd
SlurmctldPidFile=/run/slurmctld.pid
SlurmdPidFile=/run/slurmd.pid
SlurmctldLogFile=/var/log/slurm/slurmctld.log
SlurmdLogFile=/var/log/slurm/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF

pgrep -x munged > /dev/null || su -s /bin/sh munge -c /usr/sbin/munged
pgrep -x slurmctld > /dev/null || /usr/sbin/slurmctld
pgrep -x slurmd > /dev/null || /usr/sbin/slurmd

for second in $(seq 60); do
  if sinfo --noheader --responding --states=idle,mixed,allocated -o %n 2>/dev/null | grep -q .; then
    echo "Slurm node $host is up with $cpus CPUs"
    exit 0
  fi
  sleep 1
done
echo "error: the Slurm node $host did not come up within a minute; see /var/log/slurm/" >&2
exit 1
