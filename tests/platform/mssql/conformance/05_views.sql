CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\法院_SQL数据\法院_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\法院_SQL数据\法院_log.LDF' , SIZE = 1, FILEGROWTH = 10%)

GO
--@ database 法院
CREATE VIEW dbo.计算交接 AS SELECT TOP 100 PERCENT aj_id, MAX(交接时间) AS 交接时间, 案件性质 FROM dbo.交接 GROUP BY aj_id, 案件性质 ORDER BY aj_id
GO
CREATE TABLE [dbo].[交接] (
[id] [int]  IDENTITY (1, 1) NOT NULL  , 
[aj_id] [int]  null , 
[交接时间] [datetime]  null , 
[案件性质] [varchar]  (20 )   COLLATE Chinese_PRC_CI_AS  null , 
[接收人] [varchar]  (20 )   COLLATE Chinese_PRC_CI_AS  null , 
[交接] [varchar]  (10 )   COLLATE Chinese_PRC_CI_AS  null , 
[卷宗数] [int]  null , 
) ON [PRIMARY]
GO
insert into  交接 ( [aj_id] , [交接时间] , [案件性质] , [接收人] , [交接] , [卷宗数] ) values ( '1' , '20060101 10:00:00' , '民事' , '张三' , 'a' , '2' ) 
insert into  交接 ( [aj_id] , [交接时间] , [案件性质] , [接收人] , [交接] , [卷宗数] ) values ( '1' , '20060201 10:00:00' , '民事' , '李四' , 'b' , '3' ) 
insert into  交接 ( [aj_id] , [交接时间] , [案件性质] , [接收人] , [交接] , [卷宗数] ) values ( '1' , '20060201 10:00:00' , '刑事' , '赵六' , 'e' , '5' ) 
insert into  交接 ( [aj_id] , [交接时间] , [案件性质] , [接收人] , [交接] , [卷宗数] ) values ( '2' , '2006-03-01 08:00:00' , '刑事' , '王五' , 'c' , '1' ) 
insert into  交接 ( [aj_id] , [交接时间] , [案件性质] , [接收人] , [交接] , [卷宗数] ) values ( '3' , '' , '民事' , '孙七' , 'd' , '1' ) 
GO
if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[计算交接]') and OBJECTPROPERTY(id, N'IsView') = 1) drop view [dbo].[计算交接]
GO
if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[最后次交接]') and OBJECTPROPERTY(id, N'IsView') = 1) drop view [dbo].[最后次交接]
GO
SET QUOTED_IDENTIFIER ON 
GO
SET ANSI_NULLS ON 
GO
CREATE VIEW dbo.计算交接 AS SELECT TOP 100 PERCENT aj_id, MAX(交接时间) AS 交接时间, 案件性质 FROM dbo.交接 GROUP BY aj_id, 案件性质 ORDER BY aj_id
GO
SET QUOTED_IDENTIFIER OFF 
GO
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON 
GO
SET ANSI_NULLS ON
GO
CREATE VIEW dbo.最后次交接 AS SELECT TOP 100 PERCENT dbo.交接.接收人, dbo.交接.交接时间, dbo.交接.aj_id,  dbo.交接.案件性质, dbo.交接.卷宗数 FROM dbo.计算交接 INNER JOIN  dbo.交接 ON dbo.计算交接.aj_id = dbo.交接.aj_id AND   dbo.计算交接.案件性质 = dbo.交接.案件性质 AND  dbo.计算交接.交接时间 = dbo.交接.交接时间 GROUP BY dbo.交接.接收人, dbo.交接.交接, dbo.交接.交接时间, dbo.交接.aj_id,   dbo.交接.案件性质, dbo.交接.卷宗数, dbo.计算交接.交接时间 HAVING (NOT (dbo.计算交接.交接时间 IS NULL))
GO
SET QUOTED_IDENTIFIER OFF 
GO
SET ANSI_NULLS ON 
GO
if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[计算交接]') and OBJECTPROPERTY(id, N'IsView') = 1) drop view [dbo].[计算交接]
GO
if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[最后次交接]') and OBJECTPROPERTY(id, N'IsView') = 1) drop view [dbo].[最后次交接]
GO
SET QUOTED_IDENTIFIER ON 
GO
SET ANSI_NULLS ON 
GO
CREATE VIEW dbo.计算交接 AS SELECT TOP 100 PERCENT aj_id, MAX(交接时间) AS 交接时间, 案件性质 FROM dbo.交接 GROUP BY aj_id, 案件性质 ORDER BY aj_id
GO
SET QUOTED_IDENTIFIER OFF 
GO
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON 
GO
SET ANSI_NULLS ON
GO
CREATE VIEW dbo.最后次交接 AS SELECT TOP 100 PERCENT dbo.交接.接收人, dbo.交接.交接时间, dbo.交接.aj_id,  dbo.交接.案件性质, dbo.交接.卷宗数 FROM dbo.计算交接 INNER JOIN  dbo.交接 ON dbo.计算交接.aj_id = dbo.交接.aj_id AND   dbo.计算交接.案件性质 = dbo.交接.案件性质 AND  dbo.计算交接.交接时间 = dbo.交接.交接时间 GROUP BY dbo.交接.接收人, dbo.交接.交接, dbo.交接.交接时间, dbo.交接.aj_id,   dbo.交接.案件性质, dbo.交接.卷宗数, dbo.计算交接.交接时间 HAVING (NOT (dbo.计算交接.交接时间 IS NULL))
GO
SET QUOTED_IDENTIFIER OFF 
GO
SET ANSI_NULLS ON 
GO
SELECT * FROM 计算交接
GO
SELECT * FROM 最后次交接
GO
SELECT 接收人 FROM 最后次交接 WHERE aj_id = 1 AND 案件性质 = '民事'
GO
SELECT name, xtype FROM sysobjects WHERE xtype = 'V' AND OBJECTPROPERTY(id, N'IsMSShipped') = 0 ORDER BY name
GO
SELECT c.name, c.xtype, c.length FROM syscolumns c INNER JOIN sysobjects o ON o.id = c.id WHERE o.name = '计算交接' ORDER BY c.colid
GO
SELECT text FROM syscomments WHERE id = object_id('计算交接')
GO
SET QUOTED_IDENTIFIER ON 
CREATE VIEW v1 AS SELECT 1 AS one
GO
CREATE VIEW v2 AS SELECT 没有 FROM 交接
GO
CREATE VIEW v3 AS SELECT aj_id FROM 没有
GO
CREATE VIEW v4 AS SELECT aj_id FROM 交接 ORDER BY aj_id
GO
CREATE VIEW v5 AS SELECT aj_id, aj_id FROM 交接
GO
drop view [dbo].[计算交接]
drop view [dbo].[计算交接]
GO
SELECT name FROM sysobjects WHERE xtype = 'V' AND OBJECTPROPERTY(id, N'IsMSShipped') = 0
GO
