#include "db/StoreSchema.h"

const std::vector<StoreTable>& storeTables()
{
    // Kept byte for byte as older installations created them (the two blanks after "sex",
    // the untyped studyDesc of series), so that a file's sqlite_master stays comparable.
    static const std::vector<StoreTable> tables = {
        {"version", "create table version (ID integer primary key autoincrement,version integer);"},
        {"patient", "create table patient (ID integer primary key autoincrement,name TEXT,sex  TEXT,"
                    "birthday TEXT,patientIDHospital TEXT,updateTime TEXT);"},
        {"study", "create table study (ID integer primary key autoincrement,patientID integer,studyUID TEXT,"
                  "studyIDHospital TEXT,studyDesc TEXT,date TEXT,time TEXT,updateTime TEXT);"},
        {"series", "create table series (ID integer primary key autoincrement,studyID integer,seriesUID TEXT,"
                   "date TEXT,time TEXT,studyDesc,SeriesDesc TEXT,updateTime TEXT,path TEXT);"},
        {"image", "create table image (ID integer primary key autoincrement,seriesID integer,imageUID TEXT,"
                  "instanceID TEXT,file TEXT);"},
        {"neighbor", "create table neighbor (ID integer primary key autoincrement,device integer,ip TEXT,"
                     "port TEXT,name TEXT,saveType integer,lastTime TEXT,wifi TEXT,appid TEXT);"},
        {"favorite", "create table favorite (ID integer primary key autoincrement,type integer,message TEXT,"
                     "icon TEXT,image TEXT,valid integer,updateTime datetime,scale float);"},
        {"favoriteDetail", "create table favoriteDetail (ID integer primary key autoincrement,type integer,"
                           "message TEXT,icon TEXT,image TEXT,valid integer,updateTime datetime,scale float,"
                           "favoriteID integer not null);"},
    };
    return tables;
}
