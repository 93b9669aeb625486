CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
--@ database 法院
SELECT name FROM sysobjects where  name = 'T'
GO
CREATE TABLE [dbo].[T] (
[c1] [int]  IDENTITY (1, 1) NOT NULL  , 
[c2] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  not  null , 
[c3] [datetime]  null , 
[c4] [ntext]   COLLATE Chinese_PRC_CI_AS  null , 
[c5] [numeric]  (9 )  null , 
) ON [PRIMARY]
GO
ALTER TABLE [dbo].[T] WITH NOCHECK ADD 
CONSTRAINT [T1] PRIMARY KEY  CLUSTERED ( [c1]) ON [PRIMARY] 


 ,
CONSTRAINT [DF_T_c3] DEFAULT (getdate()) FOR [c3]

 ,
CONSTRAINT [DF_T_c5] DEFAULT (0) FOR [c5]
GO
SELECT name FROM sysobjects where  name = 'T'
GO
SELECT c.colid, c.name, c.xtype, c.length, c.prec, c.scale, c.isnullable, c.collation, d.name AS dflt, t.text FROM syscolumns c LEFT OUTER JOIN sysobjects d ON d.id = c.cdefault LEFT OUTER JOIN syscomments t ON t.id = d.id WHERE c.id = object_id(N'[dbo].[T]') ORDER BY c.colid
GO
SELECT o.name, o.xtype, o.type, p.name AS parent FROM sysobjects o INNER JOIN sysobjects p ON o.parent_obj = p.id ORDER BY o.name
GO
SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='c2' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = 'T'))
GO
SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='c3' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = 'T'))
GO
SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='nothing' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = 'T'))
GO
CREATE TABLE [dbo].[类型] (
[a] [bigint]  null , 
[b] [smallint]  null , 
[c] [tinyint]  null , 
[d] [bit]  null , 
[e] [float]  null , 
[f] [real]  null , 
[g] [decimal]  null , 
[h] [money]  null , 
[i] [smallmoney]  null , 
[j] [image]  null , 
[k] [timestamp]  null , 
[l] [uniqueidentifier]  null , 
[m] [sql_variant]  null , 
[n] [smalldatetime]  null , 
[o] [text]   COLLATE Chinese_PRC_CI_AS  null , 
[p] [char]  (10 )   COLLATE Chinese_PRC_CI_AS  null , 
[q] [nchar]  (10 )   COLLATE Chinese_PRC_CI_AS  null , 
[r] [nvarchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , 
[s] [binary]  (4 )  null , 
[t] [varbinary]  (20 )  null , 
[u] [numeric]  (12 )  null , 
) ON [PRIMARY]
GO
SELECT name, xtype, length, isnullable, collation FROM syscolumns WHERE id = object_id('类型') ORDER BY colid
GO
CREATE TABLE [dbo].[T] (
[c1] [int]  IDENTITY (1, 1) NOT NULL  , 
[c2] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  not  null , 
[c3] [datetime]  null , 
[c4] [ntext]   COLLATE Chinese_PRC_CI_AS  null , 
[c5] [numeric]  (9 )  null , 
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[双] (
[a] [int]  null , 
[A] [int]  null , 
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[坏] (
[a] [integer]  null , 
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[双标] (
[a] [int]  IDENTITY (1, 1) NOT NULL  , 
[b] [int]  IDENTITY (1, 1) NOT NULL  , 
) ON [PRIMARY]
GO
SELECT name FROM sysobjects WHERE name IN ('双', '坏', '双标')
GO
CREATE DEFAULT 当前日时 AS getdate()
GO
CREATE DEFAULT [DF_T_c6]  AS (0)
GO
CREATE DEFAULT [DF_T_c6]  AS (1)
GO
alter table T
 add c6 [int]  null
GO
alter table T
 add c7 [datetime]  null
GO
sp_bindefault [DF_T_c6] , 'T.c6'
GO
sp_bindefault 当前日时, 'T.c7'
GO
sp_bindefault 没有, 'T.c7'
GO
sp_bindefault [DF_T_c6] , 'T.没有'
GO
sp_bindefault [DF_T_c3] , 'T.c6'
GO
sp_bindefault [DF_T_c6] , 'T.c3'
GO
SELECT name, cdefault, OBJECTPROPERTY(cdefault, N'IsDefault') AS is_object, OBJECTPROPERTY(cdefault, N'IsDefaultCnst') AS is_constraint FROM syscolumns WHERE id = object_id('T') AND cdefault <> 0 ORDER BY colid
GO
SELECT o.name, c.text FROM sysobjects o INNER JOIN syscomments c ON c.id = o.id WHERE o.xtype = 'D' AND o.parent_obj = 0 ORDER BY o.name
GO
insert into  T ( [c2] , [c4] ) values ( 'abc' , '长文本' ) 
GO
insert into  T ( [c2] , [c5] , [c7] ) values ( 'ABC  ' , '12' , '20061030 08:15:00' ) 
GO
SELECT c1, c2, CASE WHEN c3 IS NULL THEN 0 ELSE 1 END AS has_c3, c4, c5, c6, CASE WHEN c7 > '2020-01-01' THEN NULL ELSE c7 END AS c7 FROM T ORDER BY c1
GO
SELECT count(*) AS fresh FROM T WHERE c3 > '2000-01-01' AND c7 IS NOT NULL
GO
insert into  T ( [c1] , [c2] ) values ( '9' , 'x' ) 
GO
insert into  T ( [c5] ) values ( '1' ) 
GO
insert into  T ( [c2] , [c5] ) values ( 'x' , 'abc' ) 
GO
insert into  T ( [c2] , [c7] ) values ( 'x' , '2006-02-30' ) 
GO
insert into  T ( [c2] , [c7] ) values ( 'x' , 'yesterday' ) 
GO
insert into  T ( [c2] ) values ( 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx' ) 
GO
insert into  T ( [c2] , [c6] ) values ( 'x' , '1.5' ) 
insert into  T ( [c2] , [c6] ) values ( 'after' , ' 7 ' ) 
GO
insert into  T ( [c2] , [c6] ) values ( 'x' , '3000000000' ) 
GO
SELECT c1, c2, c6 FROM T ORDER BY c1
GO
alter table T
 add c8 [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  not  null
GO
alter table T
alter column c2 [varchar]  (60 )   COLLATE Chinese_PRC_CI_AS  null
GO
alter table T
alter column c1 [int]  not  null
GO
alter table T
alter column c6 [varchar]  (10 )   COLLATE Chinese_PRC_CI_AS  null
GO
alter table T
alter column c5 [int]  null
GO
alter table T
alter column c2 [varchar]  (2 )   COLLATE Chinese_PRC_CI_AS  null
GO
alter table T
alter column 没有 [int]  null
GO
SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='c2' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = 'T'))
GO
SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='c1' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = 'T'))
GO
alter table 没有
 add c9 [int]  null
GO
alter table T
 add c1 [int]  null
GO
insert into  升级版本 ( 升级版本号 ) values ( 3 )
GO
CREATE TABLE [dbo].[升级版本] (
[升级版本号] [int]  null , 
) ON [PRIMARY]
GO
delete from 升级版本
GO
insert into  升级版本 ( 升级版本号 ) values ( 3 )
GO
insert into  升级版本 ( 升级版本号 ) values ( -1 )
GO
SELECT 升级版本号 FROM 升级版本 where 升级版本号>0
GO
SELECT name FROM sysobjects WHERE (name = N'升级版本') AND (xtype = 'u')
GO
CREATE TABLE [dbo].[宽度] (
[a] [varchar]  (5 )  null , 
[c] [DateTime]  (8 )  null , 
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[宽度] (
[a] [varchar]  (5 )  null , 
[c] [DateTime]  null , 
[d] [float]  (8 )  null , 
[e] [decimal]  (10, 2 )  null , 
) ON [PRIMARY]
GO
SELECT name, xtype, length, prec, scale FROM syscolumns WHERE id = object_id('宽度') ORDER BY colid
GO
CREATE TABLE 键 (a int NOT NULL, b varchar(10) NOT NULL, c int NULL, CONSTRAINT 键1 PRIMARY KEY (b), CONSTRAINT 键2 UNIQUE (c, a))
GO
SELECT i.name, i.indid, k.keyno, c.name AS col FROM sysindexes i JOIN sysindexkeys k ON k.id = i.id AND k.indid = i.indid JOIN syscolumns c ON c.id = k.id AND c.colid = k.colid WHERE i.id = object_id('键') ORDER BY i.indid, k.keyno
GO
ALTER TABLE 键 DROP CONSTRAINT 键1
GO
SELECT i.name, k.keyno FROM sysindexes i JOIN sysindexkeys k ON k.id = i.id AND k.indid = i.indid WHERE i.id = object_id('键')
GO
DROP TABLE 键
GO
CREATE TABLE 空表 (id int IDENTITY(5, 2), b varchar(10) NOT NULL, CONSTRAINT 空表1 UNIQUE (b))
GO
CREATE VIEW 空表视图 AS SELECT id, b FROM 空表
GO
alter table 空表
 add c [int]  null
GO
alter table 空表
 add d [varchar]  (5 )  not  null  default 'x'
GO
insert into 空表 (b, c) values ('p', 1)
GO
insert into 空表 (b, c) values ('q', 2)
GO
SELECT * FROM 空表视图 v JOIN 空表 t ON t.id = v.id ORDER BY t.id
GO
DROP VIEW 空表视图
GO
DROP TABLE 空表
GO
SELECT count(*) FROM sysindexes i JOIN sysindexkeys k ON k.id = i.id AND k.indid = i.indid
GO
