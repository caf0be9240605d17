// The study store's known DICOM nodes (table "neighbor"), on the store's second connection.

#include "db/StoreTransaction.h"
#include "db/dicomDB.h"

#include "util/StringUtils.h"
#include "util/TimeUtils.h"

using NSUI::NSDBDataModel;
using NSUI::NSDBValue;

bool dicomDB::upsertNeighbor(int device, const std::string& name, const std::string& ip, const std::string& port,
                             const std::string& appid)
{
    std::lock_guard<std::mutex> lock(_nodesLock);
    const std::string now = getCurrentTimeString();
    StoreTransaction transaction(_nodesDb);
    NSDBDataModel rows;
    if (!transaction.began() || !_nodesDb.getRecord("select ID from neighbor where appid=?", {NSDBValue(appid)}, &rows))
        return false;
    bool ok;
    if (rows.getRowCount() == 0) {
        ok = _nodesDb.executeSQL("insert into neighbor(device,name,lastTime,saveType,ip,port,appid,wifi) values "
                            "(?,?,'',3,?,?,?,?)",
                            {NSDBValue(device), NSDBValue(name), NSDBValue(ip), NSDBValue(port), NSDBValue(appid),
                             NSDBValue(now)});
    } else {
        ok = _nodesDb.executeSQL("update neighbor set device=?,name=?,wifi=?,port=?,ip=?  where ID=?",
                            {NSDBValue(device), NSDBValue(name), NSDBValue(now), NSDBValue(port), NSDBValue(ip),
                             NSDBValue(atoll(rows.getValue(0, 0).c_str()))});
    }
    return ok && transaction.commit();
}

void dicomDB::listNeighbors(std::vector<NeighborRecord>& out)
{
    std::lock_guard<std::mutex> lock(_nodesLock);
    NSDBDataModel rows;
    if (!_nodesDb.getRecord("select device,name,lastTime,saveType,ip,ID,wifi,appid,port from neighbor order by lastTime desc",
                       &rows)) {
        debugLog("failed to search DB.");
        return;
    }
    for (int r = 0; r < rows.getRowCount(); ++r) {
        NeighborRecord node;
        node.device = atoi(rows.getValue(r, 0).c_str());
        node.name = rows.getValue(r, 1);
        node.lastTime = rows.getValue(r, 2);
        node.saveType = atoi(rows.getValue(r, 3).c_str());
        node.ip = rows.getValue(r, 4);
        node.ID = atoi(rows.getValue(r, 5).c_str());
        node.wifi = rows.getValue(r, 6);
        node.appid = rows.getValue(r, 7);
        node.port = rows.getValue(r, 8);
        out.push_back(node);
    }
}

bool dicomDB::setNeighborWifi(const std::string& appid)
{
    std::lock_guard<std::mutex> lock(_nodesLock);
    StoreTransaction transaction(_nodesDb);
    NSDBDataModel rows;
    if (!transaction.began() || !_nodesDb.getRecord("select ID from neighbor where appid=?", {NSDBValue(appid)}, &rows))
        return false;
    if (rows.getRowCount() == 0)
        return true;
    std::string startOfToday = getCurrentTimeString().substr(0, 10) + " 00:00:00";
    return _nodesDb.executeSQL("update neighbor set wifi=?  where ID=?",
                          {NSDBValue(startOfToday), NSDBValue(atoll(rows.getValue(0, 0).c_str()))}) &&
           transaction.commit();
}
