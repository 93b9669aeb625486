SELECT name FROM master.dbo.sysdatabases WHERE name = N'vek'
GO
SELECT langid, name, alias, dateformat, lcid FROM master.dbo.syslanguages ORDER BY langid
GO
if not exists (select * from master.dbo.syslogins where loginname = N'vek')
BEGIN
   declare @logindb nvarchar(132), @loginlang nvarchar(132) select @logindb = N'master', @loginlang = N'简体中文'
    if @logindb is null or not exists (select * from master.dbo.sysdatabases where name = @logindb)
       select @logindb = N'master'
   if @loginlang is null or (not exists (select * from master.dbo.syslanguages where name = @loginlang) and @loginlang <> N'us_english')
     select @loginlang = @@language
    exec sp_addlogin N'vek', 'pobtrew47', @logindb, @loginlang
END
GO
exec sp_addsrvrolemember N'vek', serveradmin
GO
exec sp_addsrvrolemember N'vek', setupadmin
GO
exec sp_addsrvrolemember N'vek', processadmin
GO
exec sp_addsrvrolemember N'vek', diskadmin
GO
exec sp_addsrvrolemember N'vek', dbcreator
GO
exec sp_addsrvrolemember N'vek', bulkadmin
GO
SELECT name, loginname, dbname, language, sysadmin, securityadmin, serveradmin, setupadmin, processadmin, diskadmin, dbcreator, bulkadmin FROM master.dbo.syslogins WHERE name = N'vek'
GO
if not exists (select * from master.dbo.syslogins where loginname = N'vek')
BEGIN
   declare @logindb nvarchar(132), @loginlang nvarchar(132) select @logindb = N'master', @loginlang = N'简体中文'
    if @logindb is null or not exists (select * from master.dbo.sysdatabases where name = @logindb)
       select @logindb = N'master'
   if @loginlang is null or (not exists (select * from master.dbo.syslanguages where name = @loginlang) and @loginlang <> N'us_english')
     select @loginlang = @@language
    exec sp_addlogin N'vek', 'pobtrew47', @logindb, @loginlang
END
GO
exec sp_addsrvrolemember N'vek', serveradmin
GO
exec sp_addsrvrolemember N'vek', setupadmin
GO
exec sp_addsrvrolemember N'vek', processadmin
GO
exec sp_addsrvrolemember N'vek', diskadmin
GO
exec sp_addsrvrolemember N'vek', dbcreator
GO
exec sp_addsrvrolemember N'vek', bulkadmin
GO
SELECT count(*) AS logins FROM master.dbo.syslogins WHERE loginname = N'vek'
GO
exec sp_addlogin N'vek', 'pobtrew47'
GO
exec sp_addlogin N'其他', 'x', N'没有'
GO
exec sp_addlogin N'其他', 'x', N'master', N'klingon'
GO
exec sp_addsrvrolemember N'vek', sysowner
GO
exec sp_addsrvrolemember N'nobody', diskadmin
GO
declare @a int select @a = 1 if @a = 1 and (@a > 0 or @a is null) select 'both' as answer else select 'neither' as answer
GO
declare @a nvarchar(10) set @a = N'x' exec sp_addlogin @a, 'pw'
select name, language from master.dbo.syslogins where name = @a
GO
select @undeclared
GO
exec sp_nothing
GO
GRANT all to  vek
GO
CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
--@ database 法院
CREATE TABLE [dbo].[案由] (
[案由编号] [int]  IDENTITY (1, 1) NOT NULL  , 
) ON [PRIMARY]
GO
dbo.sp_revokedbaccess   'vek'
GO
dbo.sp_grantdbaccess   'vek' , 'vek'
GO
SELECT name, hasdbaccess, islogin FROM sysusers WHERE name = 'vek'
GO
dbo.sp_grantdbaccess   'vek' , 'vek'
GO
dbo.sp_grantdbaccess   'vek' , 'other'
GO
dbo.sp_grantdbaccess   'nobody' , 'nobody'
GO
SELECT name FROM sysobjects WHERE (NOT (name IS NULL)) AND (xtype IN ('v', 'u', 's', 'p')) ORDER BY name
GO
GRANT all to  vek
GO
GRANT all on 案由   to vek
GO
GRANT all on sysobjects   to vek
GO
GRANT all on sysconstraints   to vek
GO
SELECT o.name AS object, u.name AS grantee, p.action, p.protecttype FROM sysprotects p INNER JOIN sysusers u ON u.uid = p.uid LEFT OUTER JOIN sysobjects o ON o.id = p.id ORDER BY o.name, p.action
GO
GRANT all on 没有   to vek
GO
GRANT all on 案由   to nobody
GO
GRANT EXECUTE on 案由   to vek
GO
GRANT CREATE DATABASE to vek
GO
dbo.sp_revokedbaccess   'vek'
GO
SELECT count(*) AS rights FROM sysprotects
GO
dbo.sp_revokedbaccess   'vek'
GO
dbo.sp_grantdbaccess   'vek' , 'vek'
GO
--@ database master
GRANT all to  vek
GO
dbo.sp_grantdbaccess   'vek' , 'vek'
GRANT all to  vek
SELECT o.name AS object, u.name AS grantee, p.action, p.protecttype FROM sysprotects p INNER JOIN sysusers u ON u.uid = p.uid LEFT OUTER JOIN sysobjects o ON o.id = p.id ORDER BY o.name, p.action
GO
