import subprocess,sys
# per-row max abs difference between two stacked images, folded by row-in-frame
a,b,ph=sys.argv[1],sys.argv[2],int(sys.argv[3])
subprocess.run(["vips","subtract",a,b,"/tmp/d.v"],check=True)
subprocess.run(["vips","abs","/tmp/d.v","/tmp/ad.v"],check=True)
subprocess.run(["vips","project","/tmp/ad.v","/tmp/cols.v","/tmp/rows.v"],check=True)
subprocess.run(["vips","csvsave","/tmp/rows.v","/tmp/rows.csv"],check=True)
rows=[sum(float(x) for x in l.split('\t') if x.strip()) for l in open('/tmp/rows.csv')]
w=int(subprocess.run(["vipsheader","-f","width",a],capture_output=True,text=True).stdout)
bands=int(subprocess.run(["vipsheader","-f","bands",a],capture_output=True,text=True).stdout)
fold=[0.0]*ph
for i,r in enumerate(rows): fold[i%ph]+=r
n=len(rows)//ph
mean=[f/(n*w*bands) for f in fold]
print("mean abs diff per row-in-frame: first rows", [round(x,2) for x in mean[:4]], "middle", round(sum(mean[4:-4])/(ph-8),3), "last rows", [round(x,2) for x in mean[-4:]])
