SELECT name FROM master.dbo.sysdatabases WHERE name = N'法院'
GO
CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
exec sp_dboption N'法院', N'trunc. log', N'true'
GO
exec sp_dboption N'法院', N'autoshrink', N'true'
GO
SELECT name, dbid, status & 4194312 AS options, cmptlevel, filename FROM master.dbo.sysdatabases WHERE name = N'法院'
GO
CREATE DATABASE [内部邮件]  ON (NAME = N'内部邮件_Data', FILENAME = N'D:\法院_SQL数据\内部邮件_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'内部邮件_Log', FILENAME = N'D:\法院_SQL数据\内部邮件_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
exec sp_dboption N'内部邮件', N'trunc. log', N'true'
GO
exec sp_dboption N'内部邮件', N'autoshrink', N'true'
GO
SELECT name, dbid FROM master.dbo.sysdatabases ORDER BY dbid
GO
--@ database 法院
SELECT filename, name FROM sysfiles WHERE (filename LIKE N'%.mdf%')
GO
SELECT fileid, groupid, size, maxsize, growth, status, rtrim(name) AS name, rtrim(filename) AS filename, len(filename) AS length FROM sysfiles
GO
SELECT dbid, fileid, rtrim(name) AS name FROM master.dbo.sysaltfiles
GO
--@ database master
CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
CREATE DATABASE [旧法院]  ON (NAME = N'旧法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'旧法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
CREATE DATABASE [新库]  ON (NAME = N'新库_Data', FILENAME = N'D:\没有的目录\新库_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'新库_Log', FILENAME = N'D:\没有的目录\新库_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
exec sp_dboption N'没有', N'trunc. log', N'true'
GO
exec sp_dboption N'法院', N'auto', N'true'
GO
exec sp_dboption N'法院', N'no such option', N'true'
GO
SELECT name FROM master.dbo.sysdatabases WHERE name = N'新库' OR name = N'旧法院'
GO
use 没有
SELECT 1 AS never
GO
use 法院
SELECT db_name() AS current_database
GO
--@ database 没有
SELECT 1 AS never
GO
